#include "store/trigger_text.h"

#include "app/about.h"
#include "base/error.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace velmaro {
namespace {

using Fields = std::vector<std::string>;

// Everything else here relies on the build writing narrow literals as GBK,
// as the store and the windows read them: the trigger words, and the About
// window's texts, which come from another library of the build.
TEST(TriggerText, LiteralsAreCodePage936Bytes) {
  const Form2Texts about = AboutTexts();
  struct Text {
    const char* what;
    const char* text;
    const char* expected;
  } const texts[] = {
      {"每天", "每天", "\xC3\xBF\xCC\xEC"},
      {"分钟", "分钟", "\xB7\xD6\xD6\xD3"},
      {"TForm2", about.caption.c_str(), "\xB9\xD8\xD3\xDA..."},                             // 关于...
      {"Label1", about.label1.c_str(), "\xC3\xFB\xB3\xC6:    Velmaro"},                     // 名称:
      {"Label3", about.label3.c_str(), "\xD6\xC6\xD7\xF7:    Velmaro \xCD\xC5\xB6\xD3"},  // 制作:    Velmaro 团队
      {"Label4", about.label4.c_str(), ""},
      {"Button1", about.button1.c_str(), "\xC8\xB7\xB6\xA8(&O)"},  // 确定(&O)
  };
  for (const Text& t : texts) EXPECT_EQ(std::string(t.text), t.expected) << t.what;
}

TEST(TriggerText, ComposesEachShape) {
  struct Case {
    TriggerKind kind;
    Fields fields;
    const char* text;
  };
  const Case cases[] = {
      {TriggerKind::Idle, {"10"}, "空闲10分钟"},
      {TriggerKind::Idle, {""}, "空闲分钟"},
      {TriggerKind::Once, {"2009-1-18", "10", "30"}, "一次2009-1-18日10时30分"},
      {TriggerKind::Daily, {"8", "5"}, "每天8时5分"},
      {TriggerKind::Daily, {"0", "0"}, "每天0时0分"},
      {TriggerKind::Weekly, {"7", "22", "0"}, "每周7日22时0分"},
      {TriggerKind::Monthly, {"15", "9", "30"}, "每月15日9时30分"},
      {TriggerKind::Yearly, {"12", "31", "23", "59"}, "每年12月31日23时59分"},
      {TriggerKind::Boot, {"0", "0"}, "开机0时0分"},
      {TriggerKind::NetworkQuiet, {"10", "50"}, "网络空闲10分钟50KB"},
      {TriggerKind::ProcessorQuiet, {"10", "10"}, "处理器空闲10分钟10%"},
      {TriggerKind::ProgramEnded, {"downloader.exe"}, "程序结束downloader.exe"},
      {TriggerKind::NetworkQuiet, {}, "网络空闲分钟KB"},
  };
  for (const Case& c : cases) EXPECT_EQ(ComposeTrigger(c.kind, c.fields), c.text);
}

TEST(TriggerText, KindComesFromTheFirstFourBytesOnly) {
  struct Case {
    const char* text;
    std::optional<TriggerKind> kind;
  };
  const Case cases[] = {
      {"空闲10分钟", TriggerKind::Idle},   {"一次2009-1-18日10时30分", TriggerKind::Once},
      {"每天8时5分", TriggerKind::Daily},  {"每周7日22时0分", TriggerKind::Weekly},
      {"每月15日9时30分", TriggerKind::Monthly}, {"每年12月31日23时59分", TriggerKind::Yearly},
      {"开机1时30分", TriggerKind::Boot},  {"每天", TriggerKind::Daily},
      {" 每天8时5分", std::nullopt},       {"明天8时0分", std::nullopt},
      {"每", std::nullopt},                {"每\xCC", std::nullopt},
      {"", std::nullopt},                  {"daily", std::nullopt},
      {"网络空闲10分钟50KB", TriggerKind::NetworkQuiet}, {"处理器空闲10分钟10%", TriggerKind::ProcessorQuiet},
      {"程序结束downloader.exe", TriggerKind::ProgramEnded}, {"程序结束", TriggerKind::ProgramEnded},
      // Half a condition word is no kind, and none of them is idle.
      {"网络", std::nullopt},              {"处理器空", std::nullopt},
      {"程序结", std::nullopt},            {"空闲网络10分钟50KB", TriggerKind::Idle},
  };
  for (const Case& c : cases) EXPECT_EQ(TriggerKindOf(c.text), c.kind) << c.text;
}

TEST(TriggerText, ScannerFollowsTheByteRules) {
  struct Case {
    const char* text;
    TriggerKind kind;
    Fields fields;
  };
  const Case cases[] = {
      {"空闲05分钟", TriggerKind::Idle, {"05"}},
      {"空闲分钟", TriggerKind::Idle, {""}},
      {"每天8时5分", TriggerKind::Daily, {"8", "5"}},
      {"每周7日22时0分", TriggerKind::Weekly, {"0", "22", "0"}},
      {"每周0日22时0分", TriggerKind::Weekly, {"0", "22", "0"}},
      {"每周77日22时0分", TriggerKind::Weekly, {"77", "22", "0"}},
      {"每年2月29日8时0分", TriggerKind::Yearly, {"2", "29", "8", "0"}},
      {"一次2009-1-18日10时30分", TriggerKind::Once, {"2009-1-18", "10", "30"}},
      // A date written with 日 in it ends at that byte.
      {"一次2009年1月18日日10时30分", TriggerKind::Once, {"2009年1月18", "日10", "30"}},
      // 笆 is B0 CA: its second byte ends the hour, and two bytes are skipped.
      {"每天笆时5分", TriggerKind::Daily, {"\xB0", "\xB1" "5"}},
      {"每天", TriggerKind::Daily, {"", ""}},
      {"每天8", TriggerKind::Daily, {"8", ""}},
      {"每天8时", TriggerKind::Daily, {"8", ""}},
      {"每天8\xCA", TriggerKind::Daily, {"8", ""}},
      {"每天8时5", TriggerKind::Daily, {"8", "5"}},
      // The first field ran to the end, so the later ones stay empty even
      // though the bytes of their markers were in it.
      {"每年12", TriggerKind::Yearly, {"12", "", "", ""}},
      {"每天8时5分trailing", TriggerKind::Daily, {"8", "5"}},
      // The condition kinds skip their markers whole.
      {"网络空闲10分钟50KB", TriggerKind::NetworkQuiet, {"10", "50"}},
      {"网络空闲10分钟50", TriggerKind::NetworkQuiet, {"10", "50"}},
      {"网络空闲10分", TriggerKind::NetworkQuiet, {"10", ""}},
      {"网络空闲1050KB", TriggerKind::NetworkQuiet, {"1050KB", ""}},
      {"处理器空闲10分钟10%", TriggerKind::ProcessorQuiet, {"10", "10"}},
      {"处理器空闲10分钟10%%", TriggerKind::ProcessorQuiet, {"10", "10"}},
      {"处理器空闲", TriggerKind::ProcessorQuiet, {"", ""}},
      // A program name runs to the end, whatever bytes it holds.
      {"程序结束下载%分钟KB.exe", TriggerKind::ProgramEnded, {"下载%分钟KB.exe"}},
      {"程序结束", TriggerKind::ProgramEnded, {""}},
  };
  for (const Case& c : cases) EXPECT_EQ(ScanTriggerFields(c.text, c.kind), c.fields) << c.text;
}

// An older install knows a kind by the first two characters of the text,
// decoded from code page 936, compared with its seven words. Every condition
// text must be no kind there, so that it skips the task instead of reading
// it as, say, an idle trigger.
TEST(TriggerText, OlderInstallFindsNoKindInConditionTexts) {
  const char* const kOlderWords[] = {"\xBF\xD5\xCF\xD0", "\xD2\xBB\xB4\xCE", "\xC3\xBF\xCC\xEC", "\xC3\xBF\xD6\xDC",
                                     "\xC3\xBF\xD4\xC2", "\xC3\xBF\xC4\xEA", "\xBF\xAA\xBB\xFA"};
  auto olderKind = [&](const std::string& text) {
    std::size_t end = 0;
    for (int character = 0; character < 2 && end < text.size(); ++character) {
      end += static_cast<unsigned char>(text[end]) >= 0x81 && end + 1 < text.size() ? 2 : 1;
    }
    for (const char* word : kOlderWords) {
      if (text.substr(0, end) == word) return true;
    }
    return false;
  };
  ASSERT_TRUE(olderKind("空闲10分钟")) << "the emulated older rule itself";
  // Each kind whose markers are read as two bytes is one the older install knows.
  for (std::size_t k = 0; k < kTriggerKindCount; ++k) {
    const TriggerShape& shape = kTriggerShapes[k];
    EXPECT_EQ(olderKind(shape.prefix), shape.skip == MarkerSkip::TwoBytes) << shape.prefix;
  }
  const char* const kConditionTexts[] = {"网络空闲10分钟50KB", "处理器空闲10分钟10%", "程序结束downloader.exe",
                                         "网络空闲",            "处理器空闲",          "程序结束空闲.exe"};
  for (const char* text : kConditionTexts) {
    EXPECT_FALSE(olderKind(text)) << text;
    const std::optional<TriggerKind> kind = TriggerKindOf(text);
    ASSERT_TRUE(kind) << text;
    EXPECT_TRUE(IsConditionKind(*kind)) << text;
  }
}

TEST(TriggerText, ConditionFieldsReadOnlyInTheirRangesAndForm) {
  struct Case {
    const char* text;
    std::uint32_t minutes;
    std::uint32_t threshold;
    const char* program;
    const char* failure;  // null: reads
  };
  const Case cases[] = {
      {"网络空闲10分钟50KB", 10, 50, "", nullptr},
      {"网络空闲1分钟1KB", 1, 1, "", nullptr},
      {"网络空闲1440分钟1048576KB", 1440, 1048576, "", nullptr},
      {"网络空闲05分钟50KB", 5, 50, "", nullptr},
      {"处理器空闲10分钟10%", 10, 10, "", nullptr},
      {"处理器空闲10分钟99%", 10, 99, "", nullptr},
      {"程序结束downloader.exe", 0, 0, "downloader.exe", nullptr},
      {"程序结束下载工具.exe", 0, 0, "下载工具.exe", nullptr},
      // The character 81 5C: its second byte is no path separator.
      {"程序结束\x81\x5C.exe", 0, 0, "\x81\x5C.exe", nullptr},
      {"网络空闲0分钟50KB", 0, 0, "", "分钟数'0'应是1到1440之间的整数"},
      {"网络空闲1441分钟50KB", 0, 0, "", "分钟数'1441'应是1到1440之间的整数"},
      {"网络空闲分钟50KB", 0, 0, "", "分钟数''应是1到1440之间的整数"},
      {"网络空闲+10分钟50KB", 0, 0, "", "分钟数'+10'应是1到1440之间的整数"},
      {"网络空闲10分钟1048577KB", 0, 0, "", "网速'1048577'应是1到1048576之间的整数（KB/秒）"},
      {"网络空闲10分钟99999999999KB", 0, 0, "", "网速'99999999999'应是1到1048576之间的整数（KB/秒）"},
      {"处理器空闲10分钟100%", 0, 0, "", "处理器占用'100'应是1到99之间的整数（%）"},
      {"处理器空闲10分钟0%", 0, 0, "", "处理器占用'0'应是1到99之间的整数（%）"},
      {"网络空闲10分钟50", 0, 0, "", "'网络空闲10分钟50'不是完整的条件，应写作如网络空闲10分钟50KB"},
      {"网络空闲10分钟50KB以上", 0, 0, "", "'网络空闲10分钟50KB以上'不是完整的条件，应写作如网络空闲10分钟50KB"},
      // 分 alone: the four bytes skipped take the digits after it too.
      {"处理器空闲10分10%", 0, 0, "", "处理器占用''应是1到99之间的整数（%）"},
      {"处理器空闲10分钟10", 0, 0, "", "'处理器空闲10分钟10'不是完整的条件，应写作如处理器空闲10分钟10%"},
      {"程序结束", 0, 0, "", "请填写程序的文件名，如downloader.exe"},
      {"程序结束C:\\Tools\\downloader.exe", 0, 0, "", "程序名'C:\\Tools\\downloader.exe'应是不带路径的文件名，如downloader.exe"},
      {"程序结束a/b.exe", 0, 0, "", "程序名'a/b.exe'应是不带路径的文件名，如downloader.exe"},
      {"程序结束a?.exe", 0, 0, "", "程序名'a?.exe'含有文件名不能有的字符"},
      {"程序结束a\x81", 0, 0, "", "程序名'a\x81'不是有效的文字"},
      // No process is ever listed under these: they could never fire.
      {"程序结束downloader", 0, 0, "", "程序名'downloader'应带扩展名，如downloader.exe"},
      {"程序结束.exe", 0, 0, "", "程序名'.exe'应带扩展名，如downloader.exe"},
      {"程序结束downloader.exe.", 0, 0, "", "程序名'downloader.exe.'不能以点或空格结尾"},
      {"程序结束downloader.exe ", 0, 0, "", "程序名'downloader.exe '不能以点或空格结尾"},
      {"程序结束my tool.v2.exe", 0, 0, "my tool.v2.exe", nullptr},
  };
  for (const Case& c : cases) {
    const std::optional<ParsedTrigger> parsed = ParseTrigger(c.text);
    ASSERT_TRUE(parsed) << c.text;
    try {
      const ConditionTrigger condition = ReadConditionTrigger(c.text, *parsed);
      EXPECT_EQ(c.failure, nullptr) << c.text;
      EXPECT_EQ(condition.kind, parsed->kind) << c.text;
      EXPECT_EQ(condition.minutes, c.minutes) << c.text;
      EXPECT_EQ(condition.threshold, c.threshold) << c.text;
      EXPECT_EQ(condition.program, c.program) << c.text;
    } catch (const AppError& error) {
      EXPECT_STREQ(error.what(), c.failure ? c.failure : "(reads)") << c.text;
    }
  }
  const std::string longName = std::string(kProgramNameMax - 4, 'a') + ".exe";
  EXPECT_NO_THROW(ReadConditionTrigger("程序结束" + longName, *ParseTrigger("程序结束" + longName)));
  EXPECT_THROW(ReadConditionTrigger("程序结束a" + longName, *ParseTrigger("程序结束a" + longName)), AppError);
}

}  // namespace
}  // namespace velmaro
