// The host's linkers: H\tools\link.ini ([linker] linker = the link.exe in use) and H\linker\<name>
// with bin\link.exe for each installed linker. The host itself only reads the setting (the compile
// sequence prints it); these actions lay the files out as a user's folder has them, and play what
// happens to them behind the IDE's back (a linker removed or added, link.ini made read-only or
// held open by another program).
#include <string>

#include "base/text.h"
#include "standin_host.h"

namespace standin {
namespace {

HANDLE gLockedIni = INVALID_HANDLE_VALUE;

std::string root(Host& host, const ActionArgs& args) { return args.option("root").value_or(host.directory()); }

std::string iniPath(const std::string& h) { return h + "\\tools\\link.ini"; }

// ASCII letters upper-cased, double-byte characters untouched.
std::string asciiUpper(const std::string& text) {
  std::string out = text;
  for (size_t i = 0; i < out.size(); ++i) {
    const auto byte = static_cast<unsigned char>(out[i]);
    if (byte >= 0x81 && byte <= 0xFE) {
      ++i;
    } else if (byte >= 'a' && byte <= 'z') {
      out[i] = static_cast<char>(byte - ('a' - 'A'));
    }
  }
  return out;
}

bool writeFile(const std::string& path, const std::string& content) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const BOOL ok = WriteFile(file, content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
  CloseHandle(file);
  return ok && written == content.size();
}

bool addLinker(const std::string& h, const std::string& name, bool withExe) {
  const std::string folder = h + "\\linker\\" + name;
  CreateDirectoryA((h + "\\linker").c_str(), nullptr);
  CreateDirectoryA(folder.c_str(), nullptr);
  CreateDirectoryA((folder + "\\bin").c_str(), nullptr);
  return !withExe || writeFile(folder + "\\bin\\link.exe", "MZ stand-in linker " + name);
}

ActionResult seed(Host& host, const ActionArgs& args) {
  const std::string h = root(host, args);
  const std::string letterCase = args.option("case").value_or("upper");
  CreateDirectoryA(h.c_str(), nullptr);
  CreateDirectoryA((h + "\\tools").c_str(), nullptr);
  bool ok = addLinker(h, "LinkerA", true) && addLinker(h, "LinkerB", true) && addLinker(h, "Broken", false) &&
            addLinker(h, ".hidden", true);
  // The setting names LinkerA with the host folder in another letter case, as a user's may.
  const std::string shownHost = letterCase == "upper"   ? asciiUpper(h)
                                : letterCase == "lower" ? tovalux::asciiLower(h)
                                                        : h;
  const std::string value = shownHost + "\\linker\\LinkerA\\bin\\link.exe";
  SetFileAttributesA(iniPath(h).c_str(), FILE_ATTRIBUTE_NORMAL);
  ok = ok && writeFile(iniPath(h), "[linker]\r\nlinker=" + value + "\r\n");
  host.journal().record(EntryBuilder("linker-seed").add("root", h).add("value", value));
  return ok ? ActionResult::success() : ActionResult::failure("linker-seed: cannot write under " + h);
}

ActionResult add(Host& host, const ActionArgs& args) {
  if (args.text(0).empty()) return ActionResult::failure("linker-add NAME");
  return addLinker(root(host, args), args.text(0), true) ? ActionResult::success()
                                                         : ActionResult::failure("linker-add: cannot write");
}

ActionResult remove(Host& host, const ActionArgs& args) {
  if (args.text(0).empty()) return ActionResult::failure("linker-remove NAME");
  const std::string exe = root(host, args) + "\\linker\\" + args.text(0) + "\\bin\\link.exe";
  return DeleteFileA(exe.c_str()) ? ActionResult::success() : ActionResult::failure("linker-remove: no " + exe);
}

// link.ini read-only (the attribute), or held open without sharing by another program (a write
// fails whoever runs the IDE).
ActionResult protect(Host& host, const ActionArgs& args) {
  const std::string ini = iniPath(root(host, args));
  const bool on = args.number(0, 1) != 0;
  const bool lock = args.optionNumber("lock", 0) != 0;
  if (gLockedIni != INVALID_HANDLE_VALUE) CloseHandle(gLockedIni), gLockedIni = INVALID_HANDLE_VALUE;
  if (lock && on) {
    gLockedIni = CreateFileA(ini.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (gLockedIni == INVALID_HANDLE_VALUE) return ActionResult::failure("linker-protect: cannot open " + ini);
    return ActionResult::success();
  }
  const DWORD attributes = GetFileAttributesA(ini.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return ActionResult::failure("linker-protect: no " + ini);
  const DWORD wanted = on ? (attributes | FILE_ATTRIBUTE_READONLY) : (attributes & ~FILE_ATTRIBUTE_READONLY);
  return SetFileAttributesA(ini.c_str(), wanted) ? ActionResult::success()
                                                 : ActionResult::failure("linker-protect: attributes");
}

void teardown(Host&) {
  if (gLockedIni != INVALID_HANDLE_VALUE) CloseHandle(gLockedIni), gLockedIni = INVALID_HANDLE_VALUE;
}

const ActionRegistration kRegistrations[] = {
    {"linker-seed",
     "linker-seed [root=DIR] [case=upper|lower|same]: DIR (H) gets tools\\link.ini naming LinkerA with DIR in that "
     "letter case, and linker\\LinkerA, LinkerB, Broken (no link.exe), .hidden",
     &seed},
    {"linker-add", "linker-add NAME [root=DIR]: DIR\\linker\\NAME\\bin\\link.exe appears", &add},
    {"linker-remove", "linker-remove NAME [root=DIR]: NAME's bin\\link.exe disappears", &remove},
    {"linker-protect",
     "linker-protect 1|0 [lock=1] [root=DIR]: tools\\link.ini read-only (or, lock=1, held open without sharing)",
     &protect},
};

const TeardownRegistration kTeardown[] = {{"linker", &teardown}};

}  // namespace
}  // namespace standin
