#include "store/trigger_text.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace velmaro {
namespace {

using Fields = std::vector<std::string>;

TEST(TriggerText, LiteralsAreCodePage936Bytes) {
  // Everything else here relies on the build writing narrow literals as GBK.
  EXPECT_EQ(std::string("每天"), "\xC3\xBF\xCC\xEC");
  EXPECT_EQ(std::string("分钟"), "\xB7\xD6\xD6\xD3");
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
  };
  for (const Case& c : cases) EXPECT_EQ(ScanTriggerFields(c.text, c.kind), c.fields) << c.text;
}

}  // namespace
}  // namespace velmaro
