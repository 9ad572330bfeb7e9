#pragma once
// Internal to the register plug-in: the ownership portions of an establishment's inventory
// lines over the run's span and the names of the company's third parties, read once per run,
// so that the main query carries only each line's own indicator and third party.

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "rtl/DateTime.h"

// One portion of a line: its number, indicator, third party, quantity and stored value.
struct TRegisterPortion {
  int64_t seq;
  int indicador;
  int64_t terceiro;  // 0 when none
  double quantidade;
  double valor;
};

class TRegisterOwnership {
 public:
  // Reads the portions of the lines of (empresa, estab) dated from `inicio` to `fim` (whole
  // days), in portion order, and the names of the company's third parties. Raises Exception
  // with the database's message.
  void Load(int empresa, int estab, TDateTime inicio, TDateTime fim);

  // The portions of the line (product, date, motive); nullptr when it has none.
  const std::vector<TRegisterPortion>* Find(int64_t produto, TDateTime data, int64_t motivo) const;

  // The third party's name, "" when unknown.
  const std::string& Name(int64_t terceiro) const;

  bool Empty() const { return portions_.empty(); }

 private:
  struct Key {
    int64_t produto;
    int64_t dia;
    int64_t motivo;
    bool operator==(const Key& o) const {
      return produto == o.produto && dia == o.dia && motivo == o.motivo;
    }
  };
  struct KeyHash {
    size_t operator()(const Key& k) const {
      return std::hash<int64_t>()(k.produto * 1000003 + k.dia * 31 + k.motivo);
    }
  };
  static Key MakeKey(int64_t produto, TDateTime data, int64_t motivo);

  std::unordered_map<Key, std::vector<TRegisterPortion>, KeyHash> portions_;
  std::unordered_map<int64_t, std::string> names_;
};
