// The hand-written session of README.md, run as a reader would copy it: the tables it
// shows are created, the session file is taken word for word, and the command line it
// shows runs against the DB2 test server with only the logon values and the /data/
// folder replaced. A README example that no longer works fails here.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "base/UStrings.h"
#include "base/UTextFile.h"
#include "support/Db2Server.h"
#include "support/DbRows.h"
#include "support/RunFerrovan.h"
#include "support/TempDir.h"

namespace {

std::vector<std::string> ReadmeLines() {
  std::ifstream in(FERROVAN_SOURCE_DIR "/README.md");
  std::vector<std::string> lines;
  for (std::string l; std::getline(in, l);) lines.push_back(l);
  return lines;
}

// The index of the first line that starts with prefix; fails the test when none does.
size_t FindLine(const std::vector<std::string>& lines, const std::string& prefix) {
  for (size_t i = 0; i < lines.size(); ++i)
    if (lines[i].rfind(prefix, 0) == 0) return i;
  ADD_FAILURE() << "README.md has no line starting with \"" << prefix << "\"";
  return lines.size();
}

std::string Unindented(const std::string& line) { return line.substr(std::min<size_t>(4, line.size())); }

// The code block that begins at first: its lines, without the four-blank indent.
std::vector<std::string> Block(const std::vector<std::string>& lines, size_t first) {
  std::vector<std::string> block;
  for (size_t i = first; i < lines.size() && lines[i].rfind("    ", 0) == 0; ++i) block.push_back(Unindented(lines[i]));
  return block;
}

// A shell command of the block, its continuation lines joined, split at blanks (the
// README's commands quote nothing).
std::vector<std::string> Words(const std::vector<std::string>& block) {
  std::string joined;
  for (const auto& l : block) joined += (l.ends_with("\\") ? l.substr(0, l.size() - 1) : l) + " ";
  std::istringstream in(joined);
  std::vector<std::string> words;
  for (std::string w; in >> w;) words.push_back(w);
  return words;
}

std::string Replace(std::string text, const std::string& from, const std::string& to) {
  for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
    text.replace(at, from.size(), to);
  return text;
}

TEST(ReadmeExampleDb2, TheHandWrittenSessionRunsAsWritten) {
  const Db2Server& server = Db2Server::Get();
  TempDir dir;
  const std::vector<std::string> readme = ReadmeLines();
  auto inData = [&](const std::string& text) { return Replace(text, "/data/", dir.Path() + "/"); };

  // The SQLite table, from the README's sqlite3 line.
  std::string sqliteLine = Unindented(readme[FindLine(readme, "    sqlite3 /data/shop.db '")]);
  size_t open = sqliteLine.find('\''), close = sqliteLine.rfind('\'');
  ASSERT_LT(open, close);
  const std::string source = dir.Path() + "/shop.db";
  RunSqliteScript(source, sqliteLine.substr(open + 1, close - open - 1) + ";\n" +
                              "INSERT INTO orders VALUES (1, 'Ada', '2024-03-05 14:22:01', 12.5);\n"
                              "INSERT INTO orders VALUES (2, 'Grace', '2024-12-31 23:59:59', 1000.01);\n");

  // The DB2 table, from the README's CREATE TABLE statement.
  std::string ddl;
  for (const auto& l : Block(readme, FindLine(readme, "    CREATE TABLE \"DB2INST1\".\"ORDERS\""))) ddl += l + "\n";
  TUniConnection dest;
  server.Configure(dest);
  dest.Connect();
  RunScript(dest, "DROP TABLE IF EXISTS \"DB2INST1\".\"ORDERS\";\n" + ddl + ";");

  // The session file, word for word.
  const std::string session = dir.Path() + "/orders.uld";
  {
    std::ofstream out(session, std::ios::binary);
    for (const auto& l : Block(readme, FindLine(readme, "    [Load]"))) out << l << "\r\n";
  }

  // The command line, with the test server's logon values.
  std::vector<std::string> words = Words(Block(readme, FindLine(readme, "    build/ferrovan sqlite_database=/data/")));
  ASSERT_FALSE(words.empty());
  std::string args;
  for (size_t i = 1; i < words.size(); ++i) {
    std::string w = words[i];
    std::string key = LowerCase(w.substr(0, w.find('=')));
    if (key == "db2_username") w = "db2_username=" + server.User;
    if (key == "db2_password") w = "db2_password=" + server.Password;
    if (key == "db2_server") w = "db2_server=" + server.Database;
    if (key == "db2_hostname") w = "db2_hostname=" + server.Host;
    if (key == "db2_port") w = "db2_port=" + server.Port;
    args += "'" + inData(w) + "' ";
  }
  TProcessResult run = RunFerrovan(dir, args);
  const std::string log = ReadFileBytes(dir.Path() + "/orders.log");
  EXPECT_EQ(run.ExitCode, 0) << log << run.Err;
  EXPECT_EQ(
      QueryRows(dest, "SELECT \"ID\", \"CUSTOMER\", \"ORDERED\", \"AMOUNT\" FROM \"DB2INST1\".\"ORDERS\" ORDER BY 1"),
      (std::vector<std::string>{"1|Ada|2024-03-05 14:22:01|12.50", "2|Grace|2024-12-31 23:59:59|1000.01"}))
      << log;
  RunScript(dest, "DROP TABLE \"DB2INST1\".\"ORDERS\";");
}

}  // namespace
