// The Win32 registry service against the real registry of the Wine prefix.
#include "platform/registry_win.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "base/error.h"
#include "base/text_win.h"
#include "store/registry_object.h"
#include "store/task_store.h"

namespace velmaro {
namespace {

const wchar_t kTestKey[] = L"Software\\Drennik\\VelmaroTest";

class Win32RegistryTest : public ::testing::Test {
 protected:
  void SetUp() override { RegDeleteKeyW(HKEY_LOCAL_MACHINE, kTestKey); }
  void TearDown() override {
    reg.CloseKey();
    RegDeleteKeyW(HKEY_LOCAL_MACHINE, kTestKey);
  }
  // Reads a value with the wide API directly, bypassing the service.
  WideString RawText(const wchar_t* name, DWORD* type) {
    HKEY key;
    EXPECT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, kTestKey, 0, KEY_READ, &key), ERROR_SUCCESS);
    wchar_t buffer[256] = {};
    DWORD size = sizeof buffer;
    RegQueryValueExW(key, name, nullptr, type, reinterpret_cast<BYTE*>(buffer), &size);
    RegCloseKey(key);
    return buffer;
  }

  Win32Registry service;
  RegistryObject reg{service};
};

TEST_F(Win32RegistryTest, ChineseTextsRoundTripAsUtf16InTheRegistry) {
  reg.SelectRoot(RegRoot::LocalMachine);
  ASSERT_TRUE(reg.OpenKey("\\Software\\Drennik\\VelmaroTest"));
  // 81 5C and 83 7C: second bytes that look like "\" and "|". The long one
  // does not fit the first read's buffer and exactly 255 characters fill it.
  std::string longText;
  for (int i = 0; i < 700; ++i) longText += "该休息一下了。";
  const std::string texts[] = {"乗億", "每天8时5分", "C:\\程序\\乗.exe|x", "", longText, std::string(255, 'x'),
                               std::string(256, 'x')};
  for (const std::string& text : texts) {
    reg.WriteString("A1", text);
    EXPECT_TRUE(reg.ValueExists("A1"));
    EXPECT_EQ(reg.ReadString("A1"), text);
  }
  reg.WriteString("B1", "乗億");
  DWORD type = 0;
  EXPECT_EQ(RawText(L"B1", &type), WideString(L"\u4E57\u5104"));
  EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));

  reg.WriteInteger("tishi", -5);
  EXPECT_EQ(reg.ReadInteger("tishi"), -5);
  EXPECT_TRUE(reg.DeleteValue("tishi"));
  EXPECT_FALSE(reg.ValueExists("tishi"));
  EXPECT_EQ(reg.ReadString("missing"), "");
}

TEST_F(Win32RegistryTest, ValuesOfAnotherTypeFail) {
  reg.SelectRoot(RegRoot::LocalMachine);
  ASSERT_TRUE(reg.OpenKey("\\Software\\Drennik\\VelmaroTest"));
  HKEY key;
  ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, kTestKey, 0, KEY_ALL_ACCESS, &key), ERROR_SUCCESS);
  const BYTE bytes[3] = {1, 2, 3};
  RegSetValueExW(key, L"A3", 0, REG_BINARY, bytes, sizeof bytes);
  DWORD number = 7;
  RegSetValueExW(key, L"B3", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number), sizeof number);
  RegCloseKey(key);

  auto failure = [](auto&& read) -> std::string {
    try {
      read();
    } catch (const AppError& error) {
      return error.what();
    }
    return "(no failure)";
  };
  EXPECT_EQ(failure([&] { reg.ReadString("A3"); }), "Invalid data type for 'A3'");
  EXPECT_EQ(failure([&] { reg.ReadInteger("A3"); }), "Invalid data type for 'A3'");
  EXPECT_EQ(failure([&] { reg.ReadString("B3"); }), "Invalid data type for 'B3'");
  EXPECT_EQ(reg.ReadInteger("B3"), 7);
  EXPECT_EQ(failure([&] { reg.ReadInteger("none"); }), "Failed to get data for 'none'");
}

TEST_F(Win32RegistryTest, ValueNamesAreListedAsTheRegistrySpellsThemAndCounted) {
  reg.SelectRoot(RegRoot::LocalMachine);
  ASSERT_TRUE(reg.OpenKey("\\Software\\Drennik\\VelmaroTest"));
  EXPECT_TRUE(reg.ValueNames().empty());
  EXPECT_EQ(reg.ValueCount(), 0u);
  const std::string longName(300, 'n');
  for (const std::string& name : {std::string("A10"), std::string("a2"), std::string("乗億"), longName}) {
    reg.WriteString(name, "x");
  }
  EXPECT_EQ(reg.ValueCount(), 4u);
  std::vector<std::string> names = reg.ValueNames();
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"A10", "a2", longName, "乗億"}));
}

// Delete moves the slots from this listing alone: each value must come out
// as a query by its name gives it.
TEST_F(Win32RegistryTest, ListedValuesHoldWhatAQueryByNameGives) {
  reg.SelectRoot(RegRoot::LocalMachine);
  ASSERT_TRUE(reg.OpenKey("\\Software\\Drennik\\VelmaroTest"));
  EXPECT_TRUE(reg.ListValues().empty());
  std::string longText;
  for (int i = 0; i < 700; ++i) longText += "该休息一下了。";
  const std::string longName(300, 'n');
  reg.WriteString("A10", "每天8时5分");
  reg.WriteString("a2", longText);
  reg.WriteString("C2", "");
  reg.WriteString(longName, "x");
  reg.WriteInteger("TaskNum", 7);
  HKEY key;
  ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, kTestKey, 0, KEY_ALL_ACCESS, &key), ERROR_SUCCESS);
  const wchar_t expand[] = L"%TEMP%\\\u4E57";
  RegSetValueExW(key, L"B3", 0, REG_EXPAND_SZ, reinterpret_cast<const BYTE*>(expand), sizeof expand);
  const BYTE bytes[3] = {1, 0, 3};
  RegSetValueExW(key, L"\u4E57\u5104", 0, REG_BINARY, bytes, sizeof bytes);
  // Stored without its terminating zero, as some programs write texts.
  const wchar_t bare[] = {L'a', L'b'};
  RegSetValueExW(key, L"A3", 0, REG_SZ, reinterpret_cast<const BYTE*>(bare), sizeof bare);
  RegCloseKey(key);

  const std::vector<RegNamedValue> listed = reg.ListValues();
  std::vector<std::string> names;
  for (const RegNamedValue& value : listed) names.push_back(value.name);
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"A10", "A3", "B3", "C2", "TaskNum", "a2", longName, "乗億"}));
  HKEY raw;
  ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, kTestKey, 0, KEY_READ, &raw), ERROR_SUCCESS);
  for (const RegNamedValue& value : listed) {
    RegValue queried;
    ASSERT_TRUE(service.QueryValue(reinterpret_cast<RegKeyHandle>(raw), value.name, &queried)) << value.name;
    EXPECT_EQ(value.value.type, queried.type) << value.name;
    EXPECT_EQ(value.value.data, queried.data) << value.name;
    EXPECT_EQ(value.value.hasUtf16, queried.hasUtf16) << value.name;
    EXPECT_TRUE(value.value.utf16 == queried.utf16) << value.name;
  }
  RegCloseKey(raw);
  for (const RegNamedValue& value : listed) {
    if (value.name == "a2") {
      EXPECT_EQ(value.value.data, longText);
    }
    if (value.name == "A3") {
      EXPECT_EQ(value.value.data, "ab");
    }
    if (value.name == "B3") {
      EXPECT_EQ(value.value.type, static_cast<std::uint32_t>(REG_EXPAND_SZ));
    }
  }
}

TEST(Win32TaskStore, FirstLoadWritesTypedDefaults) {
  const wchar_t* store = L"Software\\Drennik\\Velmaro";
  HKEY key;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, store, 0, KEY_ALL_ACCESS, &key) == ERROR_SUCCESS) {
    for (const wchar_t* name : {L"shutapp", L"soundpath", L"tishi", L"TaskNum"}) RegDeleteValueW(key, name);
    RegCloseKey(key);
  }
  Win32Registry service;
  RegistryObject reg{service};
  Settings settings;
  TaskStore(reg, settings).LoadSettings();
  reg.CloseKey();

  ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, store, 0, KEY_READ, &key), ERROR_SUCCESS);
  struct Expected {
    const wchar_t* name;
    DWORD type;
    DWORD size;
  } const expected[] = {{L"shutapp", REG_DWORD, 4}, {L"soundpath", REG_SZ, 2}, {L"tishi", REG_DWORD, 4},
                        {L"TaskNum", REG_DWORD, 4}};
  for (const Expected& e : expected) {
    DWORD type = 0;
    DWORD size = 0;
    EXPECT_EQ(RegQueryValueExW(key, e.name, nullptr, &type, nullptr, &size), ERROR_SUCCESS);
    EXPECT_EQ(type, e.type);
    EXPECT_EQ(size, e.size);
  }
  RegCloseKey(key);
  EXPECT_EQ(settings.Tishi, 60);
}

}  // namespace
}  // namespace velmaro
