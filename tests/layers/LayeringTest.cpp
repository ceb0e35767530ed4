// The layer rules of docs/ARCHITECTURE.md, checked on the sources: the order comes from
// the document's "layers" block, so the document and the check cannot drift apart.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "base/UStrings.h"
#include "support/TempDir.h"

namespace fs = std::filesystem;

namespace {

// The folders of the order (relative to src/, "." for src/ itself), each with the
// number of its line: a folder may include a folder of a lower number only.
struct TLayerOrder {
  std::map<std::string, int> Rank;
  std::vector<std::string> Problems;
};

// What the order alone does not say.
struct TRules {
  std::vector<std::string> ProductFree;  // folders (with their sub-folders) that must not name the product
  std::vector<std::string> ProductWords;
  std::string FirstQtLayer;  // the lowest folder that may include Qt
};

const TRules FerrovanRules{{"base", "dac"}, {"ferrovan", "quillmark"}, "support"};

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

TLayerOrder ParseOrder(const std::string& markdown) {
  TLayerOrder order;
  std::istringstream in(markdown);
  std::string line;
  bool inside = false, found = false, closed = false;
  int rank = 0;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!inside) {
      inside = found = line == "```layers";
      continue;
    }
    if (line.rfind("```", 0) == 0) {
      closed = true;
      break;
    }
    std::istringstream words(line);
    std::string folder;
    bool any = false;
    while (words >> folder) {
      any = true;
      if (!order.Rank.emplace(folder, rank).second) order.Problems.push_back("\"" + folder + "\" is listed twice");
    }
    if (any) ++rank;
  }
  if (!found)
    order.Problems.push_back("no ```layers block");
  else if (!closed)
    order.Problems.push_back("the ```layers block does not end");
  return order;
}

std::string FolderOf(const std::string& path) {
  auto slash = path.rfind('/');
  return slash == std::string::npos ? "." : path.substr(0, slash);
}

bool InFolder(const std::string& folder, const std::string& parent) {
  return folder == parent || folder.rfind(parent + "/", 0) == 0;
}

// Every breach of the order and the rules in the .h and .cpp files under src, as
// "file:line: what", sorted.
std::vector<std::string> CheckSources(const fs::path& src, const TLayerOrder& order, const TRules& rules) {
  static const std::regex quoted(R"(^\s*#\s*include\s*"([^"]+)\")");
  static const std::regex qt(R"(^\s*#\s*include\s*<Qt?[A-Z][^>]*>)");
  std::set<std::string> problems;
  const auto firstQt = order.Rank.find(rules.FirstQtLayer);
  for (const auto& entry : fs::recursive_directory_iterator(src)) {
    const std::string ext = entry.path().extension().string();
    if (!entry.is_regular_file() || (ext != ".h" && ext != ".cpp")) continue;
    const std::string file = fs::relative(entry.path(), src).generic_string();
    const std::string folder = FolderOf(file);
    const auto from = order.Rank.find(folder);
    if (from == order.Rank.end()) {
      problems.insert(file + ": its folder " + folder + " is not in the layer order");
      continue;
    }
    const std::string text = ReadFile(entry.path());
    for (const auto& parent : rules.ProductFree) {
      if (!InFolder(folder, parent)) continue;
      for (const auto& word : rules.ProductWords)
        if (ContainsText(text, word)) problems.insert(file + ": names the product (\"" + word + "\")");
    }
    std::istringstream lines(text);
    std::string line;
    for (int number = 1; std::getline(lines, line); ++number) {
      const std::string where = file + ":" + std::to_string(number) + ": ";
      std::smatch m;
      if (std::regex_search(line, m, qt) && firstQt != order.Rank.end() && from->second < firstQt->second)
        problems.insert(where + "includes Qt below " + rules.FirstQtLayer);
      if (!std::regex_search(line, m, quoted)) continue;
      const std::string target = m[1];
      if (!fs::is_regular_file(src / target)) {
        problems.insert(where + "\"" + target + "\" is no file under src/ (includes are written from src/)");
        continue;
      }
      const std::string to = FolderOf(target);
      if (to == folder) continue;
      const auto rank = order.Rank.find(to);
      if (rank == order.Rank.end())
        problems.insert(where + "includes " + target + " from " + to + ", which is not in the layer order");
      else if (rank->second > from->second)
        problems.insert(where + folder + " includes " + target + " of " + to + ", a layer above it");
      else if (rank->second == from->second)
        problems.insert(where + folder + " includes " + target + " of " + to + ", a layer beside it");
    }
  }
  return {problems.begin(), problems.end()};
}

std::string Lines(const std::vector<std::string>& items) {
  std::string text;
  for (const auto& item : items) text += item + "\n";
  return text;
}

// --- The checker itself, on small trees

const char* const SmallOrder = "# Layers\n\n```layers\nlow\nmid\nmid/back\nleft right\ntop\n.\n```\n";
const TRules SmallRules{{"low"}, {"acme"}, "top"};

struct TTreeCase {
  const char* Name;
  std::vector<std::pair<std::string, std::string>> Files;  // path under src/, text
  std::vector<std::string> Problems;
};

const std::vector<TTreeCase> TreeCases = {
    {"downward and same-folder includes pass",
     {{"low/L.h", ""},
      {"mid/M.h", "#include \"low/L.h\"\n"},
      {"mid/M.cpp", "#include \"mid/M.h\"\n#include <vector>\n"},
      {"mid/back/B.cpp", "#include \"mid/M.h\"\n"},
      {"left/A.h", "#include \"mid/back/B.cpp\"\n"},
      {"top/T.cpp", "#include \"left/A.h\"\n#include <QWidget>\n"},
      {"main.cpp", "#include \"top/T.cpp\"\n"}},
     {}},
    {"an include that reaches up fails",
     {{"low/L.cpp", "// one\n#include \"mid/M.h\"\n"}, {"mid/M.h", ""}},
     {"low/L.cpp:2: low includes mid/M.h of mid, a layer above it"}},
    {"two folders that include each other fail",
     {{"mid/M.h", "#include \"top/T.h\"\n"}, {"top/T.h", "#include \"mid/M.h\"\n"}},
     {"mid/M.h:1: mid includes top/T.h of top, a layer above it"}},
    {"siblings do not include each other",
     {{"left/A.h", "#include \"right/B.h\"\n"}, {"right/B.h", ""}},
     {"left/A.h:1: left includes right/B.h of right, a layer beside it"}},
    {"a folder does not include its sub-folder",
     {{"mid/M.cpp", "#  include \"mid/back/B.h\"\n"}, {"mid/back/B.h", ""}},
     {"mid/M.cpp:1: mid includes mid/back/B.h of mid/back, a layer above it"}},
    {"a folder missing from the order fails",
     {{"extra/E.cpp", ""}, {"top/T.cpp", "#include \"extra/E.cpp\"\n"}},
     {"extra/E.cpp: its folder extra is not in the layer order",
      "top/T.cpp:1: includes extra/E.cpp from extra, which is not in the layer order"}},
    {"an include not written from src fails",
     {{"top/T.h", ""}, {"top/T.cpp", "#include \"T.h\"\n"}},
     {"top/T.cpp:1: \"T.h\" is no file under src/ (includes are written from src/)"}},
    {"a product-free folder does not name the product",
     {{"low/L.cpp", "// made by Acme\n"}, {"mid/M.cpp", "// made by Acme\n"}},
     {"low/L.cpp: names the product (\"acme\")"}},
    {"Qt stays at and above its layer",
     {{"mid/M.cpp", "#include <QtCore/QString>\n#include <QWidget>\n"}},
     {"mid/M.cpp:1: includes Qt below top", "mid/M.cpp:2: includes Qt below top"}},
};

TEST(LayeringCheck, FindsEveryBreachInASmallTree) {
  const TLayerOrder order = ParseOrder(SmallOrder);
  ASSERT_EQ(order.Problems, std::vector<std::string>{});
  for (const auto& c : TreeCases) {
    TempDir dir;
    for (const auto& [path, text] : c.Files) {
      fs::create_directories((fs::path(dir.Path()) / path).parent_path());
      std::ofstream(fs::path(dir.Path()) / path) << text;
    }
    EXPECT_EQ(CheckSources(dir.Path(), order, SmallRules), c.Problems) << c.Name;
  }
}

TEST(LayeringCheck, ReadsTheOrderFromTheLayersBlockOnly) {
  const TLayerOrder order = ParseOrder(SmallOrder);
  EXPECT_EQ(order.Rank, (std::map<std::string, int>{
                            {"low", 0}, {"mid", 1}, {"mid/back", 2}, {"left", 3}, {"right", 3}, {"top", 4}, {".", 5}}));
  EXPECT_EQ(ParseOrder("```\nlow\n```\n").Problems, std::vector<std::string>{"no ```layers block"});
  EXPECT_EQ(ParseOrder("```layers\nlow\n").Problems, std::vector<std::string>{"the ```layers block does not end"});
  EXPECT_EQ(ParseOrder("```layers\nlow\nmid low\n```\n").Problems, std::vector<std::string>{"\"low\" is listed twice"});
}

// --- The sources

TEST(Layering, SourcesFollowTheOrderOfArchitectureMd) {
  const fs::path root = FERROVAN_SOURCE_DIR;
  const TLayerOrder order = ParseOrder(ReadFile(root / "docs" / "ARCHITECTURE.md"));
  ASSERT_EQ(order.Problems, std::vector<std::string>{});
  ASSERT_TRUE(order.Rank.count(FerrovanRules.FirstQtLayer));
  const std::vector<std::string> problems = CheckSources(root / "src", order, FerrovanRules);
  EXPECT_TRUE(problems.empty()) << Lines(problems);
}

}  // namespace
