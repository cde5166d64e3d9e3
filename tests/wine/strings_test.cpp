// The string table that flashwiz.exe carries, read from the program file the
// way Windows reads it: Windows-1252 bytes, escapes resolved.
#include <gtest/gtest.h>

#include <string>

#include "wintest.h"

namespace {

TEST(StringTableTest, ProgramCarriesTheExactTexts) {
  HMODULE program = LoadLibraryExA((wintest::BinDir() + "flashwiz.exe").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_TRUE(program);
  struct Case {
    unsigned id;
    std::string text;
  } cases[] = {
      {1, "Atualiza\xE7\xE3o do firmware da Varquell-Ostrum"},
      {2, " v%s"},
      {20, "\\\\.\\%c:"},
      {35, "&Avan\xE7" "ar >"},
      {77, "%I:%M%p %a, %b %d, %Y"},
      {84, "%s: %s Chave: %s"},
      {93, "     %c: %s (host adapter id: %d, target id: %d, device id: %d)"},
      {99, "Windows (vers\xE3o desconhecida) %s"},
      {135, "<<O teste da unidade falhou>>"},
  };
  for (const Case& c : cases) {
    char buffer[4096] = "";
    int length = LoadStringA(program, c.id, buffer, sizeof buffer);
    EXPECT_EQ(std::string(buffer, length > 0 ? length : 0), c.text) << "message " << c.id;
  }

  char buffer[4096] = "";
  std::string text(buffer, LoadStringA(program, 51, buffer, sizeof buffer));
  EXPECT_EQ(text.substr(text.size() - 10), "software. ") << "keeps its trailing blank";
  text.assign(buffer, LoadStringA(program, 28, buffer, sizeof buffer));
  EXPECT_NE(text.find("lig\xE1-lo.\t\tVerifique"), std::string::npos) << "tabs";
  text.assign(buffer, LoadStringA(program, 59, buffer, sizeof buffer));
  EXPECT_EQ(text.substr(0, 30), "Erro interno no aplicativo!\n\nO") << "line breaks";
  FreeLibrary(program);
}

}  // namespace
