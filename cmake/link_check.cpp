// The throwaway DLL of a link check (tovalux_link_check): all its code comes from the whole
// archive of the library under check.
