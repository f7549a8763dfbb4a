// The published engines' observed output, row by row, with our answers where we differ on
// purpose (marked). Shared by the native tests and the Wine test of the DLLs.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace engine_samples {

inline std::vector<uint8_t> bytes(const char* hex) {
  std::vector<uint8_t> out;
  auto nib = [](char c) { return c <= '9' ? c - '0' : (c | 0x20) - 'a' + 10; };
  for (const char* p = hex; p[0] && p[1]; p += 2) {
    while (*p == ' ') ++p;
    out.push_back(uint8_t(nib(p[0]) << 4 | nib(p[1])));
  }
  return out;
}

// VB_SetOptions(ideal, lowercase, tabs, putdefseg) columns: (0,0,0,1), (0,0,0,0), (0,1,0,0),
// (1,0,0,1). Mode 4.
struct OllyRow {
  const char* hex;
  uint32_t address;
  const char* dump;
  const char* withSeg;
  const char* noSeg;
  const char* lower;
  const char* ideal;
};

inline const OllyRow kOllyRows[] = {
    {"55", 0x401000, "55", "PUSH EBP", "PUSH EBP", "push ebp", "PUSH EBP"},
    {"8BEC", 0x401000, "8BEC", "MOV EBP,ESP", "MOV EBP,ESP", "mov ebp,esp", "MOV EBP,ESP"},
    {"83EC08", 0x401000, "83EC 08", "SUB ESP,8", "SUB ESP,8", "sub esp,8", "SUB ESP,8"},
    {"8B4508", 0x401000, "8B45 08", "MOV EAX,SS:[EBP+8]", "MOV EAX,[EBP+8]", "mov eax,[ebp+8]", "MOV EAX,[SS:EBP+8]"},
    {"C745FC00000000", 0x401000, "C745 FC 00000000", "MOV DWORD PTR SS:[EBP-4],0", "MOV DWORD PTR [EBP-4],0",
     "mov dword ptr [ebp-4],0", "MOV [DWORD SS:EBP-4],0"},
    {"E81F140000", 0x450458, "E8 1F140000", "CALL 0045187C", "CALL 0045187C", "call 0045187C", "CALL 0045187C"},
    {"7572", 0x4504A3, "75 72", "JNZ SHORT 00450517", "JNZ SHORT 00450517", "jnz short 00450517", "JNZ SHORT 00450517"},
    {"8B0498", 0x401000, "8B0498", "MOV EAX,DS:[EAX+EBX*4]", "MOV EAX,[EAX+EBX*4]", "mov eax,[eax+ebx*4]",
     "MOV EAX,[DS:EAX+EBX*4]"},
    {"A1DC464B00", 0x401000, "A1 DC464B00", "MOV EAX,DS:[4B46DC]", "MOV EAX,[4B46DC]", "mov eax,[4B46DC]",
     "MOV EAX,[DS:4B46DC]"},
    {"64A100000000", 0x401000, "64:A1 00000000", "MOV EAX,FS:[0]", "MOV EAX,FS:[0]", "mov eax,fs:[0]",
     "MOV EAX,[FS:0]"},
    {"83C4F8", 0x401000, "83C4 F8", "ADD ESP,-8", "ADD ESP,-8", "add esp,-8", "ADD ESP,-8"},
    {"68B39E4600", 0x401000, "68 B39E4600", "PUSH 469EB3", "PUSH 469EB3", "push 469EB3", "PUSH 469EB3"},
    {"80BDE0FDFFFF00", 0x401000, "80BD E0FDFFFF 00", "CMP BYTE PTR SS:[EBP-220],0", "CMP BYTE PTR [EBP-220],0",
     "cmp byte ptr [ebp-220],0", "CMP [BYTE SS:EBP-220],0"},
    {"F3A5", 0x401000, "F3:A5", "REP MOVS DWORD PTR ES:[EDI],DWORD PTR DS:[ESI]",
     "REP MOVS DWORD PTR ES:[EDI],DWORD PTR [ESI]", "rep movs dword ptr es:[edi],dword ptr [esi]",
     "REP MOVS [DWORD ES:EDI],[DWORD DS:ESI]"},
    {"C3", 0x401000, "C3", "RETN", "RETN", "retn", "RETN"},
    {"C20800", 0x401000, "C2 0800", "RETN 8", "RETN 8", "retn 8", "RETN 8"},
    {"FF1534204000", 0x401000, "FF15 34204000", "CALL DS:[402034]", "CALL [402034]", "call [402034]",
     "CALL [DS:402034]"},
    {"F00FC108", 0x401000, "F0:0FC108", "LOCK XADD DS:[EAX],ECX", "LOCK XADD [EAX],ECX", "lock xadd [eax],ecx",
     "LOCK XADD [DS:EAX],ECX"},
    {"668908", 0x401000, "66:8908", "MOV DS:[EAX],CX", "MOV [EAX],CX", "mov [eax],cx", "MOV [DS:EAX],CX"},
    {"6AFF", 0x401000, "6A FF", "PUSH -1", "PUSH -1", "push -1", "PUSH -1"},
    {"8B4C8D10", 0x401000, "8B4C8D 10", "MOV ECX,SS:[EBP+ECX*4+10]", "MOV ECX,[EBP+ECX*4+10]", "mov ecx,[ebp+ecx*4+10]",
     "MOV ECX,[SS:EBP+ECX*4+10]"},
    {"D94508", 0x401000, "D945 08", "FLD DWORD PTR SS:[EBP+8]", "FLD DWORD PTR [EBP+8]", "fld dword ptr [ebp+8]",
     "FLD [DWORD SS:EBP+8]"},
    // The library manual's own listing.
    {"8D85E0FBFFFF", 0x401000, "8D85 E0FBFFFF", "LEA EAX,SS:[EBP-420]", "LEA EAX,[EBP-420]", "lea eax,[ebp-420]",
     "LEA EAX,[SS:EBP-420]"},
    {"E8141BFCFF", 0x4505C3, "E8 141BFCFF", "CALL 004120DC", "CALL 004120DC", "call 004120DC", "CALL 004120DC"},
    {"0F8CAFFEFFFF", 0x4505D2, "0F8C AFFEFFFF", "JL 00450487", "JL 00450487", "jl 00450487", "JL 00450487"},
    {"7514", 0x4505DF, "75 14", "JNZ SHORT 004505F5", "JNZ SHORT 004505F5", "jnz short 004505F5", "JNZ SHORT 004505F5"},
    {"83C408", 0x401000, "83C4 08", "ADD ESP,8", "ADD ESP,8", "add esp,8", "ADD ESP,8"},
    // Ours, not the library's: it knew no SSE and answered "???" with length 2.
    {"0F28C1", 0x401000, "0F28C1", "MOVAPS XMM0,XMM1", "MOVAPS XMM0,XMM1", "movaps xmm0,xmm1", "MOVAPS XMM0,XMM1"},
};

// Options (0,0,1,1): operands from column 8.
struct TabRow {
  const char* hex;
  uint32_t address;
  const char* text;
};
inline const TabRow kOllyTabRows[] = {
    {"55", 0x401000, "PUSH    EBP"},
    {"8B4508", 0x401000, "MOV     EAX,SS:[EBP+8]"},
    {"F3A5", 0x401000, "REP     MOVS DWORD PTR ES:[EDI],DWORD PTR DS:[ESI]"},
    {"F2AE", 0x401000, "REPNE   SCAS BYTE PTR ES:[EDI]"},
    {"7572", 0x4504A3, "JNZ     SHORT 00450517"},
    {"F00FC108", 0x401000, "LOCK XADD DS:[EAX],ECX"},
    {"C3", 0x401000, "RETN"},
};

// BeaEngine, Archi 0, SecurityBlock 0. Columns: MASM, NASM, GoAsm, AT&T, MASM+PrefixedNumeral,
// MASM+ShowSegmentRegs. Rows marked "fixed" print the well-formed text where the published
// engine's was malformed.
struct BeaRow {
  const char* hex;
  uint32_t address;
  const char* masm;
  const char* nasm;
  const char* goasm;
  const char* att;
  const char* prefixed;
  const char* segs;
};

inline const BeaRow kBeaRows[] = {
    {"55", 0x401000, "push ebp", "push ebp", "push ebp", "pushl %ebp", "push ebp", "push ebp"},
    {"8BEC", 0x401000, "mov ebp, esp", "mov ebp, esp", "mov ebp, esp", "movl %esp, %ebp", "mov ebp, esp",
     "mov ebp, esp"},
    {"83EC08", 0x401000, "sub esp, 08h", "sub esp, 08h", "sub esp, 08h", "subl $08h, %esp", "sub esp, 0x08",
     "sub esp, 08h"},
    // NASM fixed: "mov eax,  [ebp+08h]" had an empty size keyword.
    {"8B4508", 0x401000, "mov eax, dword ptr [ebp+08h]", "mov eax, dword [ebp+08h]", "mov eax, d [ebp+08h]",
     "movl 08h(%ebp), %eax", "mov eax, dword ptr [ebp+0x08]", "mov eax, dword ptr ss:[ebp+08h]"},
    {"8945FC", 0x401000, "mov dword ptr [ebp-04h], eax", "mov dword [ebp-04h], eax", "mov d [ebp-04h], eax",
     "movl %eax, -04h(%ebp)", "mov dword ptr [ebp-0x04], eax", "mov dword ptr ss:[ebp-04h], eax"},
    {"C745FC00000000", 0x401000, "mov dword ptr [ebp-04h], 00000000h", "mov dword [ebp-04h], 00000000h",
     "mov d [ebp-04h], 00000000h", "movl $00000000h, -04h(%ebp)", "mov dword ptr [ebp-0x04], 0x00000000",
     "mov dword ptr ss:[ebp-04h], 00000000h"},
    {"E81F140000", 0x450458, "call 0045187Ch", "call 0045187Ch", "call 0045187Ch", "calll $0045187Ch",
     "call 0x0045187C", "call 0045187Ch"},
    {"7572", 0x4504A3, "jne 00450517h", "jne 00450517h", "jne 00450517h", "jnel $00450517h", "jne 0x00450517",
     "jne 00450517h"},
    {"8B0498", 0x401000, "mov eax, dword ptr [eax+ebx*4]", "mov eax, dword [eax+ebx*4]", "mov eax, d [eax+ebx*4]",
     "movl (%eax,%ebx,4), %eax", "mov eax, dword ptr [eax+ebx*4]", "mov eax, dword ptr ds:[eax+ebx*4]"},
    {"A1DC464B00", 0x401000, "mov eax, dword ptr [004B46DCh]", "mov eax, dword [004B46DCh]", "mov eax, d [004B46DCh]",
     "movl 004B46DCh, %eax", "mov eax, dword ptr [0x004B46DC]", "mov eax, dword ptr ds:[004B46DCh]"},
    {"64A100000000", 0x401000, "mov eax, dword ptr fs:[00000000h]", "mov eax, dword [fs:00000000h]",
     "mov eax, d fs:[00000000h]", "movl %fs:00000000h, %eax", "mov eax, dword ptr fs:[0x00000000]",
     "mov eax, dword ptr fs:[00000000h]"},
    {"83C4F8", 0x401000, "add esp, FFFFFFF8h", "add esp, FFFFFFF8h", "add esp, FFFFFFF8h", "addl $FFFFFFF8h, %esp",
     "add esp, 0xFFFFFFF8", "add esp, FFFFFFF8h"},
    {"80BDE0FDFFFF00", 0x401000, "cmp byte ptr [ebp-00000220h], 00h", "cmp byte [ebp-00000220h], 00h",
     "cmp b [ebp-00000220h], 00h", "cmpb $00h, -00000220h(%ebp)", "cmp byte ptr [ebp-0x00000220], 0x00",
     "cmp byte ptr ss:[ebp-00000220h], 00h"},
    // AT&T fixed: the published engine dropped the REP.
    {"F3A5", 0x401000, "rep movsd ", "rep movsd ", "rep movsd ", "rep movsdl ", "rep movsd ", "rep movsd "},
    // AT&T fixed: the published engine dropped the LOCK.
    {"F00FC108", 0x401000, "lock xadd dword ptr [eax], ecx", "lock xadd dword [eax], ecx", "lock xadd d [eax], ecx",
     "lock xaddl %ecx, (%eax)", "lock xadd dword ptr [eax], ecx", "lock xadd dword ptr ds:[eax], ecx"},
    {"668908", 0x401000, "mov word ptr [eax], cx", "mov word [eax], cx", "mov w [eax], cx", "movw %cx, (%eax)",
     "mov word ptr [eax], cx", "mov word ptr ds:[eax], cx"},
    {"0F28C1", 0x401000, "movaps xmm0, xmm1", "movaps xmm0, xmm1", "movaps xmm0, xmm1", "movaps %xmm1, %xmm0",
     "movaps xmm0, xmm1", "movaps xmm0, xmm1"},
    {"C20800", 0x401000, "retn 0008h", "retn 0008h", "retn 0008h", "retnw $0008h", "retn 0x0008", "retn 0008h"},
    {"DD1C24", 0x401000, "fstp qword ptr [esp]", "fstp qword [esp]", "fstp q [esp]", "fstpq (%esp)",
     "fstp qword ptr [esp]", "fstp qword ptr ss:[esp]"},
    // AT&T fixed: the published engine printed "movl 10h(%ebp(,%ecx,4), %ecx".
    {"8B4C8D10", 0x401000, "mov ecx, dword ptr [ebp+ecx*4+10h]", "mov ecx, dword [ebp+ecx*4+10h]",
     "mov ecx, d [ebp+ecx*4+10h]", "movl 10h(%ebp,%ecx,4), %ecx", "mov ecx, dword ptr [ebp+ecx*4+0x10]",
     "mov ecx, dword ptr ss:[ebp+ecx*4+10h]"},
};

// More AT&T forms from the rules.
inline const TabRow kBeaAttRows[] = {
    {"FF1534204000", 0x401000, "calll *00402034h"},
    {"EBFE", 0x401000, "jmpl $00401000h"},
    {"CD2E", 0x401000, "intb $2Eh"},
    {"0FB6C0", 0x401000, "movzxl %al, %eax"},
    {"D94508", 0x401000, "fldl 08h(%ebp)"},
    {"F2AE", 0x401000, "repne scasbb "},
};

}  // namespace engine_samples
