// The records the host reads from a support library: LibraryInfo and the command, argument and
// constant descriptors it points to. Layouts are the host's (32-bit, little-endian).
#pragma once

#include <cstddef>
#include <cstdint>

namespace tovalux {

static_assert(sizeof(void*) == 4, "the host's library records are 32-bit");

// The host's support-library format number.
constexpr uint32_t kLibraryFormatVersion = 20000101;

// Data type codes.
constexpr uint32_t kTypeNone = 0;
constexpr uint32_t kTypeInt32 = 0x80000301;

// One argument of a library command as the host passes it: 12 bytes, the value first.
struct CommandArgument {
  int32_t value;
  uint32_t extra[2];  // the host's own; never read
};
static_assert(sizeof(CommandArgument) == 12);

// Entry of a library command, called by the host (or a program it debugs) with the result
// slot, the argument count and the argument array.
using CommandFunction = void(__cdecl*)(void* result, int32_t argumentCount, CommandArgument* arguments);

// Notification callback (library side) and the host's own function: code and two values.
using NotifyFunction = int32_t(__stdcall*)(int32_t code, int32_t param1, int32_t param2);

struct ArgumentInfo {
  const char* name;
  const char* description;
  int16_t bitmapIndex;
  int16_t bitmapCount;
  uint32_t dataType;
  int32_t defaultValue;
  uint32_t stateFlags;
};
static_assert(sizeof(ArgumentInfo) == 24);

struct CommandInfo {
  const char* name;
  const char* englishName;
  const char* description;
  int16_t category;  // 1-based position in the category list
  uint16_t stateFlags;
  uint32_t returnType;
  uint16_t reserved;
  int16_t userLevel;
  int16_t bitmapIndex;
  int16_t bitmapCount;
  int32_t argumentCount;
  const ArgumentInfo* arguments;
};
static_assert(sizeof(CommandInfo) == 36);

struct ConstantInfo {
  uint32_t fields[8];
};
static_assert(sizeof(ConstantInfo) == 32);

struct LibraryInfo {
  uint32_t formatVersion;                   //  0
  const char* guid;                         //  4
  int32_t majorVersion;                     //  8
  int32_t minorVersion;                     // 12
  int32_t buildNumber;                      // 16
  int32_t requiredHostMajor;                // 20
  int32_t requiredHostMinor;                // 24
  int32_t requiredCoreMajor;                // 28
  int32_t requiredCoreMinor;                // 32
  const char* name;                         // 36
  int32_t language;                         // 40
  const char* description;                  // 44
  uint32_t stateFlags;                      // 48
  const char* author;                       // 52
  const char* postalCode;                   // 56
  const char* address;                      // 60
  const char* telephone;                    // 64
  const char* fax;                          // 68
  const char* email;                        // 72
  const char* homePage;                     // 76
  const char* otherInfo;                    // 80
  int32_t dataTypeCount;                    // 84
  const void* dataTypes;                    // 88
  int32_t categoryCount;                    // 92
  const char* categories;                   // 96: NUL-terminated entries, closed by an empty one
  int32_t commandCount;                     // 100
  const CommandInfo* commands;              // 104
  const CommandFunction* commandFunctions;  // 108
  const void* addInRunner;                  // 112
  const char* addInList;                    // 116
  NotifyFunction notify;                    // 120
  const void* superTemplateRunner;          // 124
  const char* superTemplateList;            // 128
  int32_t constantCount;                    // 132
  const ConstantInfo* constants;            // 136
  const char* dependentFiles;               // 140
};
static_assert(sizeof(LibraryInfo) == 144);
static_assert(offsetof(LibraryInfo, notify) == 120);
static_assert(offsetof(LibraryInfo, commandFunctions) == 108);
static_assert(offsetof(LibraryInfo, dependentFiles) == 140);

}  // namespace tovalux
