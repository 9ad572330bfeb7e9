#pragma once
// A scratch database with the suite's schema, installed as the default connection, for the
// book-control tests.

#include <memory>
#include <string>

#include "bookkit/DMControleLivro.h"
#include "rtl/DateTime.h"

class BookTestDb {
 public:
  BookTestDb();
  ~BookTestDb();

  const std::string& path() const { return path_; }
  void Exec(const std::string& sql);
  // The single integer of `sql`'s first row.
  long Count(const std::string& sql);

 private:
  std::string dir_;
  std::string path_;
};

// A control for book type 11 of company 1, establishment 1, over [inicio, fim].
std::unique_ptr<TnDMControleLivro> ControleDe(TDateTime inicio, TDateTime fim,
                                              TnConexao* conexao = nullptr);

// "yyyy-mm-dd".
std::string Iso(TDateTime data);
