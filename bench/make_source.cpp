// Writes the benchmarks' source: a SQLite file with one table "items" of N rows in eight
// columns, the same bytes for the same N and seed on every machine.
//
//   make_source FILE [rows] [seed]
//
// An existing FILE is replaced. The columns cover what a load has to carry: an integer key,
// an integer, a REAL, a NUMERIC(10,2), a VARCHAR(40) with non-ASCII letters, a date and a
// date-time stored as text, and a nullable TEXT that is NULL in about one row of twenty.

#include <sqlite3.h>

#include <chrono>
#include <cinttypes>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

// splitmix64: tiny, fast and identical everywhere, unlike the standard distributions.
struct Random {
  uint64_t state;
  uint64_t Next() {
    uint64_t z = (state += 0x9E3779B97F4A7C15ULL);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
  }
  uint64_t Below(uint64_t n) { return Next() % n; }
};

// Proleptic Gregorian date of a day count from 1970-01-01.
void CivilFromDays(int64_t z, int& y, unsigned& m, unsigned& d) {
  z += 719468;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const unsigned doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  d = doy - (153 * mp + 2) / 5 + 1;
  m = mp < 10 ? mp + 3 : mp - 9;
  y = static_cast<int>(yoe + era * 400 + (m <= 2));
}

// At most 20 bytes each, so two joined with a number stay within 40 bytes.
const char* const kWords[] = {"Müller",   "Straße", "Ångström", "Łódź",  "Crème", "Brûlée", "Ωmega",
                              "東京",     "Zürich", "São",      "Paulo", "Oslo",  "Lima",   "Köln",
                              "Αθήνα",    "Kyiv",   "Reykjavík", "Café", "Niño",  "Smith"};
constexpr int kWordCount = sizeof(kWords) / sizeof(kWords[0]);

const char* const kNoteWords[] = {"delivered", "late",  "fragile", "return", "gift",   "paid",
                                  "pending",   "größe", "naïve",   "rush",   "note:",  "ok"};
constexpr int kNoteWordCount = sizeof(kNoteWords) / sizeof(kNoteWords[0]);

void Check(int rc, sqlite3* db, const char* what) {
  if (rc != SQLITE_OK && rc != SQLITE_DONE && rc != SQLITE_ROW) {
    std::fprintf(stderr, "make_source: %s: %s\n", what, sqlite3_errmsg(db));
    std::exit(1);
  }
}

void Exec(sqlite3* db, const char* sql) { Check(sqlite3_exec(db, sql, nullptr, nullptr, nullptr), db, sql); }

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2 || argc > 4) {
    std::fprintf(stderr, "usage: make_source FILE [rows] [seed]\n");
    return 2;
  }
  const std::string file = argv[1];
  const long rows = argc > 2 ? std::atol(argv[2]) : 1000000;
  const uint64_t seed = argc > 3 ? std::strtoull(argv[3], nullptr, 10) : 20240611;
  if (rows < 0) {
    std::fprintf(stderr, "make_source: rows must not be negative\n");
    return 2;
  }
  auto start = std::chrono::steady_clock::now();
  std::error_code ignored;
  std::filesystem::remove(file, ignored);
  std::filesystem::remove(file + "-journal", ignored);

  sqlite3* db = nullptr;
  if (sqlite3_open(file.c_str(), &db) != SQLITE_OK) {
    std::fprintf(stderr, "make_source: cannot open %s: %s\n", file.c_str(), sqlite3_errmsg(db));
    return 1;
  }
  // A file written once and then only read: durability while writing buys nothing.
  Exec(db, "pragma journal_mode = off; pragma synchronous = off;");
  Exec(db,
       "create table items (id integer primary key, qty integer, ratio real, price numeric(10,2), "
       "name varchar(40), day date, stamp datetime, note text)");
  Exec(db, "begin");
  sqlite3_stmt* insert = nullptr;
  Check(sqlite3_prepare_v2(db, "insert into items values (?, ?, ?, ?, ?, ?, ?, ?)", -1, &insert, nullptr), db,
        "prepare");

  Random random{seed};
  char price[32], name[64], day[16], stamp[32], note[256];
  for (long id = 1; id <= rows; ++id) {
    const int64_t qty = static_cast<int64_t>(random.Below(2000001)) - 1000000;
    const double ratio = static_cast<double>(random.Next() >> 11) / 9007199254740992.0 * 1000.0 - 500.0;
    const uint64_t cents = random.Below(10000000000ULL);
    std::snprintf(price, sizeof price, "%" PRIu64 ".%02" PRIu64, cents / 100, cents % 100);
    std::snprintf(name, sizeof name, "%s %s %" PRIu64, kWords[random.Below(kWordCount)],
                  kWords[random.Below(kWordCount)], random.Below(100000));
    // 1990-01-01 .. 2039-12-31
    int y;
    unsigned m, d;
    CivilFromDays(7305 + static_cast<int64_t>(random.Below(18262)), y, m, d);
    std::snprintf(day, sizeof day, "%04d-%02u-%02u", y, m, d);
    CivilFromDays(7305 + static_cast<int64_t>(random.Below(18262)), y, m, d);
    const uint64_t seconds = random.Below(86400);
    std::snprintf(stamp, sizeof stamp, "%04d-%02u-%02u %02u:%02u:%02u", y, m, d, static_cast<unsigned>(seconds / 3600),
                  static_cast<unsigned>(seconds / 60 % 60), static_cast<unsigned>(seconds % 60));
    const bool noteIsNull = random.Below(20) == 0;
    if (!noteIsNull) {
      int length = 0;
      const int words = 1 + static_cast<int>(random.Below(12));
      for (int w = 0; w < words; ++w)
        length += std::snprintf(note + length, sizeof note - length, "%s%s", w ? " " : "",
                                kNoteWords[random.Below(kNoteWordCount)]);
    }

    sqlite3_bind_int64(insert, 1, id);
    sqlite3_bind_int64(insert, 2, qty);
    sqlite3_bind_double(insert, 3, ratio);
    sqlite3_bind_text(insert, 4, price, -1, SQLITE_STATIC);
    sqlite3_bind_text(insert, 5, name, -1, SQLITE_STATIC);
    sqlite3_bind_text(insert, 6, day, -1, SQLITE_STATIC);
    sqlite3_bind_text(insert, 7, stamp, -1, SQLITE_STATIC);
    if (noteIsNull)
      sqlite3_bind_null(insert, 8);
    else
      sqlite3_bind_text(insert, 8, note, -1, SQLITE_STATIC);
    Check(sqlite3_step(insert), db, "insert");
    sqlite3_reset(insert);
  }
  sqlite3_finalize(insert);
  Exec(db, "commit");
  if (sqlite3_close(db) != SQLITE_OK) {
    std::fprintf(stderr, "make_source: closing %s failed\n", file.c_str());
    return 1;
  }
  const double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::printf("wrote %ld rows of table items to %s in %.1f s (%.0f MB)\n", rows, file.c_str(), elapsed,
              static_cast<double>(std::filesystem::file_size(file)) / 1e6);
  return 0;
}
