#pragma once
// Reading an EFD ICMS/IPI file back (this program's or another system's): its structure
// checked against the layout table, and its inventories reconciled with the database.

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

class TnConexao;

namespace stock::efd {

// One inventory (H005) of the file and what its H010s add up to, in cents.
struct FileInventory {
  std::string date;  // ISO
  int motive = 0;
  int64_t declared = 0;                                    // H005 VL_INV
  int64_t items_total = 0;                                 // sum of its H010 VL_ITEM
  std::map<int, int64_t> by_indicator;                     // IND_PROP -> sum of VL_ITEM
  std::map<std::pair<std::string, int>, int64_t> by_item;  // (COD_ITEM, IND_PROP) -> VL_ITEM
};

struct FileCheck {
  std::vector<std::string> problems;  // what is wrong with the file itself, by line
  size_t problems_left_out = 0;       // further problems not listed
  int64_t lines = 0;
  std::string cnpj, cpf, ie;  // of 0000
  std::vector<FileInventory> inventories;
};

// Checks the bytes of a file: ISO-8859-1 text in CRLF lines of '|'-delimited fields; record
// order and hierarchy; each known record's field count and formats; the 9900 counts, the
// 0990/H990/9990 and 9999 totals; every H010's item, unit and participant present in Bloco 0;
// each H005 equal to the sum of its H010s. Never throws for what the bytes hold.
FileCheck CheckFile(std::string_view bytes);

// The differences between the file's inventories and the database: each H005 against the
// value of every line of that date and motive (all ownership indicators), the H010 values per
// IND_PROP and per item against the lines and ownership portions. The establishment is the one
// whose CNPJ (or CPF) the 0000 names, unless `company` and `estab` are given (non-zero).
// Raises Exception when the establishment cannot be found.
std::vector<std::string> Reconcile(TnConexao& db, const FileCheck& file, int company = 0,
                                   int estab = 0);

}  // namespace stock::efd
