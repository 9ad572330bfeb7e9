#pragma once
// The inventory of one establishment at one date as the Bloco H of an EFD ICMS/IPI file, with
// the Bloco 0 it refers to and the Bloco 9 that counts it, ready for the PVA's import of blocks.

#include <cstdint>
#include <string>

class TnConexao;

namespace stock::efd {

struct ExportRequest {
  int company = 0;
  int estab = 0;
  std::string date;     // the inventory date, ISO 'yyyy-mm-dd'
  int motive = 1;       // LCTOINV.MOTIVOINVENTARIO, 1 to 5 (H005 MOT_INV)
  int period_year = 0;  // the month of the EFD that carries the inventory; 0: DefaultPeriod
  int period_month = 0;
  std::string out;  // the file to write
};

struct ExportSummary {
  int64_t lines = 0;        // inventory lines exported
  int64_t h010 = 0;         // H010 records (one per line, or per ownership portion)
  int64_t total_cents = 0;  // H005 VL_INV
  int64_t file_lines = 0;   // 9999 QTD_LIN
  std::string period_start, period_end, version;  // ISO dates, COD_VER
};

// The month of the EFD file that carries an inventory: for an inventory at the end of the
// period (motive 1), the second month after the inventory date, when the tax rules ask for it;
// for the other motives, the inventory's own month. `date` is ISO.
void DefaultPeriod(const std::string& date, int motive, int& year, int& month);

// The query whose rows become the H010 records (one per line, or per ownership portion, in
// item order), with the parameters :pEmpresa, :pEstab, :pData and :pMotivo.
std::string H010Query();

// Writes the file `request.out` from the database. Raises Exception, and writes nothing, when:
// the establishment does not exist; there are no lines at that date and motive; a line's
// ownership portions do not add up to its value; a record needs what the database lacks (an
// item's unit or NCM, a participant's CNPJ/CPF, the accountant...): the message names the
// record, the field and the item or participant.
ExportSummary ExportBlocoH(TnConexao& db, const ExportRequest& request);

}  // namespace stock::efd
