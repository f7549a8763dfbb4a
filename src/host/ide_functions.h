// IDE function numbers run through runIdeFunction. The high word names the family, the low
// word the function in it. Only the numbers the system uses are named here.
#pragma once

#include <cstdint>

namespace tovalux::ide {

// 0x0101: caret navigation and help
constexpr uint32_t kJumpToCalledCommand = 0x0101002F;  // 跳到调用命令处
constexpr uint32_t kShowHelpAt = 0x01010042;           // help for (row, column): both values in the block
constexpr uint32_t kJumpBack = 0x01010043;             // 跳回前跳转处

// 0x0202: editing and inserting
constexpr uint32_t kDeleteLine = 0x02020003;
constexpr uint32_t kCut = 0x02020004;
constexpr uint32_t kPaste = 0x02020005;
constexpr uint32_t kInsertSubProgram = 0x02020009;
constexpr uint32_t kInsertDataType = 0x0202000A;
constexpr uint32_t kInsertGlobalVariable = 0x0202000B;
constexpr uint32_t kInsertDllCommand = 0x0202000C;
constexpr uint32_t kInsertProgramSet = 0x0202000D;
constexpr uint32_t kInsertParameter = 0x0202000E;
constexpr uint32_t kInsertLocalVariable = 0x0202000F;
constexpr uint32_t kInsertConstant = 0x02020010;
constexpr uint32_t kInsertPictureResource = 0x02020011;
constexpr uint32_t kInsertSoundResource = 0x02020012;
constexpr uint32_t kUndo = 0x02020032;
constexpr uint32_t kRedo = 0x02020033;
constexpr uint32_t kInsertWindow = 0x02020037;
constexpr uint32_t kCenterWindowHorizontally = 0x0202004F;
constexpr uint32_t kCenterWindowVertically = 0x02020050;
constexpr uint32_t kMenuEditor = 0x02020055;
constexpr uint32_t kImportProgram = 0x02020058;
constexpr uint32_t kProgramSettings = 0x02020059;
constexpr uint32_t kAlignLeft = 0x0202005D;
constexpr uint32_t kAlignTop = 0x0202005E;
constexpr uint32_t kAlignRight = 0x0202005F;
constexpr uint32_t kAlignBottom = 0x02020060;
constexpr uint32_t kCenterComponentHorizontally = 0x02020061;
constexpr uint32_t kCenterComponentVertically = 0x02020062;  // named by the host, never sent
constexpr uint32_t kSpaceEvenlyHorizontally = 0x02020063;
constexpr uint32_t kSpaceEvenlyVertically = 0x02020064;  // also sent for "组件垂直居中"
constexpr uint32_t kSameWidth = 0x02020065;
constexpr uint32_t kSameHeight = 0x02020066;
constexpr uint32_t kSameSize = 0x02020067;
constexpr uint32_t kInsertClassModule = 0x0202006A;
constexpr uint32_t kInsertFileName = 0x02020075;
constexpr uint32_t kInsertLongTextConstant = 0x0202007E;
constexpr uint32_t kAddModuleReference = 0x02020087;  // param1: path text, param2: int32 result

// 0x0203
constexpr uint32_t kCopy = 0x02030001;

// 0x0301: project files
constexpr uint32_t kNewProject = 0x03010001;
constexpr uint32_t kOpenProject = 0x03010002;
constexpr uint32_t kCloseProject = 0x03010003;
constexpr uint32_t kSaveProject = 0x03010004;
constexpr uint32_t kSaveProjectAs = 0x03010005;
constexpr uint32_t kOpenProjectByName = 0x03010008;  // param1: path text

// 0x0402: tables, tools and help
constexpr uint32_t kAbout = 0x04020001;
constexpr uint32_t kDataTypeTable = 0x04020008;
constexpr uint32_t kGlobalVariableTable = 0x04020009;
constexpr uint32_t kDllCommandTable = 0x0402000A;
constexpr uint32_t kConstantTable = 0x0402000B;
constexpr uint32_t kPictureResourceTable = 0x0402000C;
constexpr uint32_t kSoundResourceTable = 0x0402000D;
constexpr uint32_t kPreviewDesignedWindow = 0x0402000E;
constexpr uint32_t kSetReadOnly = 0x0402000F;
constexpr uint32_t kSystemSettings = 0x04020010;
constexpr uint32_t kFindStart = 0x04020011;
constexpr uint32_t kFindNext = 0x04020012;
constexpr uint32_t kFindPrevious = 0x04020014;
constexpr uint32_t kStructureEditor = 0x04020019;
constexpr uint32_t kRecordEditor = 0x0402001A;
constexpr uint32_t kDatabaseFormatConversion = 0x0402001C;
constexpr uint32_t kReportEditor = 0x0402001D;
constexpr uint32_t kLibraryConfiguration = 0x0402001F;
constexpr uint32_t kInstallLibrary = 0x04020020;
constexpr uint32_t kTypeLibraryToLibrary = 0x04020022;
constexpr uint32_t kDatabaseLanguageConversion = 0x04020027;
constexpr uint32_t kTipOfTheDay = 0x04020028;
constexpr uint32_t kKnowledgeBase = 0x04020029;
constexpr uint32_t kWizard = 0x0402002A;
constexpr uint32_t kFindReplace = 0x0402002B;
constexpr uint32_t kSearchEverywhere = 0x0402002C;
constexpr uint32_t kUserFeedback = 0x0402002D;
constexpr uint32_t kMultimediaTutorial = 0x0402002F;
constexpr uint32_t kRelinkNames = 0x04020032;
constexpr uint32_t kGoToLastChange = 0x04020033;
constexpr uint32_t kToggleBookmark = 0x04020034;
constexpr uint32_t kJumpToBookmark = 0x04020035;
constexpr uint32_t kPreviousBookmark = 0x04020036;
constexpr uint32_t kNextBookmark = 0x04020037;
constexpr uint32_t kVectorGraphicsDesigner = 0x04020038;

// 0x0501: debugging
constexpr uint32_t kStepInto = 0x05010001;
constexpr uint32_t kStepOver = 0x05010002;
constexpr uint32_t kStepOut = 0x05010003;
constexpr uint32_t kRunToCursor = 0x05010004;
constexpr uint32_t kWatchExpression = 0x05010005;
constexpr uint32_t kToggleBreakpoint = 0x05010006;
constexpr uint32_t kClearAllBreakpoints = 0x05010007;
constexpr uint32_t kGoToExecutionPoint = 0x05010008;
constexpr uint32_t kConditionalBreakpoint = 0x0501000A;

// 0x0502: compiling and running
constexpr uint32_t kCompile = 0x05020001;
constexpr uint32_t kRun = 0x05020002;
constexpr uint32_t kStop = 0x05020003;
constexpr uint32_t kCompileInstaller = 0x05020005;
constexpr uint32_t kCompileIndependent = 0x05020006;
constexpr uint32_t kCompileStatic = 0x05020007;
constexpr uint32_t kCompilePackage = 0x05020008;
constexpr uint32_t kRunAsWindowsProgram = 0x05020009;
constexpr uint32_t kRunAsConsoleProgram = 0x0502000A;
constexpr uint32_t kRunAsDll = 0x0502000B;
constexpr uint32_t kRunAsModule = 0x0502000C;
constexpr uint32_t kCompileAsWindowsProgram = 0x0502000D;
constexpr uint32_t kCompileAsConsoleProgram = 0x0502000E;
constexpr uint32_t kCompileAsDll = 0x0502000F;
constexpr uint32_t kCompileAsModule = 0x05020010;
constexpr uint32_t kCompileStaticAsWindowsProgram = 0x05020011;
constexpr uint32_t kCompileStaticAsConsoleProgram = 0x05020012;
constexpr uint32_t kCompileStaticAsDll = 0x05020013;

// 0x0503: queries; param1 is the address of the slot or record the host fills
constexpr uint32_t kQueryPageKind = 0x05030002;
constexpr uint32_t kQueryCaretRow = 0x05030008;
constexpr uint32_t kQueryCaretColumn = 0x05030009;
constexpr uint32_t kQueryCaretText = 0x0503000A;
constexpr uint32_t kQueryHelpTipText = 0x0503000B;

// Kinds the page-kind query answers.
enum PageKind : int32_t {
  kPageNone = 0,
  kPageCode = 1,
  kPageDataTypes = 2,
  kPageGlobalVariables = 3,
  kPageDllCommands = 4,
  kPageWindowDesigner = 5,
  kPageConstants = 6,
  kPagePictures = 7,
  kPageSounds = 8,
};

}  // namespace tovalux::ide
