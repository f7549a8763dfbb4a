#include "lifecycle/descriptor.h"

#include <deque>
#include <mutex>
#include <string>
#include <vector>

#include "base/guard.h"
#include "base/version.h"
#include "debugging/disassembly_commands.h"
#include "lifecycle/notifications.h"

namespace tovalux {
namespace {

// Category list and command declarations as the host expects to read them. Declaring a
// command turns the pending arguments into that command's packed argument array.
class DescriptorBuilder {
 public:
  void declareCategory(const char* prefixedText) { categories_.emplace_back(prefixedText); }

  // 1-based position of a category text in the list; -1 when absent.
  int categoryNumber(const std::string& prefixedText) const {
    for (size_t i = 0; i < categories_.size(); ++i)
      if (categories_[i] == prefixedText) return static_cast<int>(i + 1);
    return -1;
  }

  void declareArgument(const char* name, const char* description, uint32_t type) {
    pending_.push_back(ArgumentInfo{name, description, 0, 0, type, 0, 0});
  }

  void declareCommand(const char* name, const char* englishName, const char* description, const char* category,
                      CommandFunction entry) {
    std::vector<ArgumentInfo>& arguments = argumentLists_.emplace_back(std::move(pending_));
    pending_.clear();
    CommandInfo command{};
    command.name = name;
    command.englishName = englishName;
    command.description = description;
    command.category = static_cast<int16_t>(categoryNumber(category));
    command.returnType = kTypeNone;
    command.userLevel = 1;
    command.argumentCount = static_cast<int32_t>(arguments.size());
    command.arguments = arguments.empty() ? nullptr : arguments.data();
    commands_.push_back(command);
    functions_.push_back(entry);
  }

  // Each entry's text and a NUL, then the closing empty entry.
  void publishCategories() {
    publishedCategories_.clear();
    for (const std::string& category : categories_) {
      publishedCategories_ += category;
      publishedCategories_ += '\0';
    }
    publishedCategories_ += '\0';
  }

  int categoryCount() const { return static_cast<int>(categories_.size()); }
  const char* categories() const { return publishedCategories_.data(); }
  int commandCount() const { return static_cast<int>(commands_.size()); }
  const CommandInfo* commands() const { return commands_.data(); }
  const CommandFunction* functions() const { return functions_.data(); }

 private:
  std::vector<std::string> categories_;
  std::string publishedCategories_;
  std::vector<ArgumentInfo> pending_;
  std::deque<std::vector<ArgumentInfo>> argumentLists_;  // deque: earlier arrays never move
  std::vector<CommandInfo> commands_;
  std::vector<CommandFunction> functions_;
};

constexpr char kDebugCategory[] = "0000调试辅助";

constexpr char kDescription[] =
    "\r\n\r\n"
    "版本名称: 预览版\r\n"
    "内部版本: v" TOVALUX_VERSION
    "\r\n"
    "联系我们: tovalux-ide@users.noreply.example\r\n"
    "\r\n"
    "本支持库将给你带来全新的易语言IDE体验,目前本库还在处于开发阶段...";

constexpr char kAddressArgument[] = "反汇编地址";
constexpr char kAddressDescription[] = "需要反汇编的地址";
constexpr char kLengthArgument[] = "反汇编长度";
constexpr char kLengthDescription[] = "需要反汇编的长度";

// Zero-filled when the library is loaded; GetNewInf fills it once.
LibraryInfo gLibraryInfo;
// The constant array is published empty but not null.
const ConstantInfo gNoConstants[1] = {};

void buildDescriptor() {
  static DescriptorBuilder builder;
  LibraryInfo& info = gLibraryInfo;
  info.formatVersion = kLibraryFormatVersion;
  info.guid = "{80F2C10C-50DD-4f5a-96EF-E8F9B422DAA7}";
  info.majorVersion = 1;
  info.minorVersion = 0;
  info.buildNumber = 1;
  info.requiredHostMajor = 1;
  info.requiredHostMinor = 0;
  info.requiredCoreMajor = 3;
  info.requiredCoreMinor = 0;
  info.name = "Tovalux IDE";
  info.language = 1;  // simplified Chinese, GBK
  info.description = kDescription;
  info.stateFlags = 0x100;
  info.author = "Tovalux IDE 开发组";
  info.postalCode = "000000";
  info.address = "互联网";
  info.telephone = "-";
  info.fax = nullptr;
  info.email = "tovalux-ide@users.noreply.example";
  info.homePage = TOVALUX_FEEDBACK_URL;  // empty: none is published
  info.otherInfo = nullptr;
  info.notify = &onHostNotify;

  builder.declareCategory(kDebugCategory);

  builder.declareArgument(kAddressArgument, kAddressDescription, kTypeInt32);
  builder.declareArgument(kLengthArgument, kLengthDescription, kTypeInt32);
  builder.declareCommand("Tovalux_反汇编_OD", "Tovalux_Dis_OD",
                         "使用OD引擎,查看当前调试进程指定位置的反汇编代码，反汇编结果将在Tovalux 反汇编列表中显示。"
                         "注意:  本命令仅作为调试时使用,不支持编译,编译时请删除本命令",
                         kDebugCategory, &disassembleWithOlly);

  builder.declareArgument("反汇编语法", "选择反汇编语法，可选值: 512 = Nasm，0 = Masm，256 = GoAsm，AT = 1024",
                          kTypeInt32);
  builder.declareArgument(kAddressArgument, kAddressDescription, kTypeInt32);
  builder.declareArgument(kLengthArgument, kLengthDescription, kTypeInt32);
  builder.declareCommand(
      "Tovalux_反汇编_BE", "Tovalux_Dis_BE",
      "使用BeaEngine引擎,查看当前调试进程指定位置的反汇编代码，反汇编结果将在Tovalux 反汇编列表中显示。"
      "注意:  本命令仅作为调试时使用,不支持编译,编译时请删除本命令",
      kDebugCategory, &disassembleWithBea);

  builder.publishCategories();
  info.dataTypeCount = 0;
  info.dataTypes = nullptr;
  info.categoryCount = builder.categoryCount();
  info.categories = builder.categories();
  info.commandCount = builder.commandCount();
  info.commands = builder.commands();
  info.commandFunctions = builder.functions();
  info.constantCount = 0;
  info.constants = gNoConstants;
}

}  // namespace

const LibraryInfo* libraryDescriptor() {
  static std::once_flag once;
  std::call_once(once, buildDescriptor);
  return &gLibraryInfo;
}

}  // namespace tovalux

extern "C" const tovalux::LibraryInfo* __stdcall GetNewInf() noexcept {
  return tovalux::guarded(
      tovalux::GuardSite::kDescriptor, [] { return tovalux::libraryDescriptor(); }, nullptr);
}
