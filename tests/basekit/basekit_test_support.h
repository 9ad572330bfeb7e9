#pragma once
// A throw-away SQLite database for the basekit tests, installed as the default connection.

#include <memory>
#include <string>

#include "basekit/Conexao.h"

class TempDatabase {
 public:
  // Creates an empty database file in a fresh temporary folder, runs `script` on it and makes it
  // the default connection.
  explicit TempDatabase(const std::string& script = "");
  // Removes the default connection and the files.
  ~TempDatabase();

  const std::string& path() const { return path_; }
  TnConexao& conexao() { return ConexaoPadrao(); }

 private:
  std::string dir_;
  std::string path_;
};

// The suite's tables as far as these tests need them, with a few rows.
extern const char* const kSampleSchema;
