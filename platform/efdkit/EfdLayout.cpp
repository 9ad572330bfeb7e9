#include "efdkit/EfdLayout.h"

#include <cctype>

#include "rtl/Exception.h"

namespace stock::efd {

namespace {

// The layout of the records below follows the Guia Prático da EFD ICMS/IPI (versão 3.1.9, leiaute
// 020, in force from 1 January 2026 by Ato COTEPE/ICMS nº 79/2025 and Nota Técnica 2025.001),
// Capítulo III, Seções 1 (Bloco 0), 7 (Bloco H) and 10 (Bloco 9), read through these pages:
//   - 0000, fields, types, sizes and obligations:
//   https://www.rech.com.br/help/2220/registro_0000.htm
//   - Bloco 0 and Bloco H field lists: https://docs.oracle.com/en/applications/jd-edwards/
//     localizations/9.2/eoabz/registers-and-fields-for-block-0-1.html and
//     .../registers-and-fields-for-block-h.html (H001, H005, H010, H020, H990)
//   - Bloco 9 (9001, 9900 REG_BLC/QTD_REG_BLC, 9990 QTD_LIN_9, 9999 QTD_LIN):
//     .../registers-and-fields-for-block-9.html
//   - the records' levels and occurrences (0000 0 1, 0001 1 1, 0005 2 1, 0100 2 1, 0150 2 V,
//     0190 2 V, 0200 2 V): the Guia's table of Bloco 0, http://pt.slideshare.net/PasqualeNeto/
//     manual-sped-fiscal1 (Guia Prático 2.0.16)
//   - 0190 UNID up to 6 characters, DESCR different from UNID:
//     https://nomus.freshdesk.com/support/solutions/articles/27000053025
//   - 0200 TIPO_ITEM codes 00 to 10 and 99:
//   https://otimogestor.com.br/blog/sped-fiscal-registro-0200/
//   - H020 only for the motives 02 to 05, never when VL_INV is zero; H010 not when VL_INV is zero:
//     https://megasistemas.atlassian.net/wiki/spaces/HELP/pages/166462314/Bloco+H010 and
//     the H020 page of the same manual
// Sizes: "N - 02" (no size, 2 decimals) is {0, false, 2}; "N 008*" is {8, true, -1}.
constexpr bool O = true, OC = false;
constexpr FieldType C = FieldType::Text, N = FieldType::Number, D = FieldType::Date;

const std::vector<RecordDef> kRecords = {
    {"0000",
     "",
     0,
     Occurrence::One,
     {{"REG", C, 4, true, -1, O},
      {"COD_VER", N, 3, true, -1, O},
      {"COD_FIN", N, 1, true, -1, O},
      {"DT_INI", D, 8, true, -1, O},
      {"DT_FIN", D, 8, true, -1, O},
      {"NOME", C, 100, false, -1, O},
      {"CNPJ", N, 14, true, -1, OC},
      {"CPF", N, 11, true, -1, OC},
      {"UF", C, 2, true, -1, O},
      {"IE", C, 14, false, -1, O},
      {"COD_MUN", N, 7, true, -1, O},
      {"IM", C, 0, false, -1, OC},
      {"SUFRAMA", C, 9, true, -1, OC},
      {"IND_PERFIL", C, 1, true, -1, O},
      {"IND_ATIV", N, 1, true, -1, O}}},
    {"0001",
     "0000",
     1,
     Occurrence::One,
     {{"REG", C, 4, true, -1, O}, {"IND_MOV", C, 1, true, -1, O}}},
    {"0005",
     "0001",
     2,
     Occurrence::One,
     {{"REG", C, 4, true, -1, O},
      {"FANTASIA", C, 60, false, -1, O},
      {"CEP", N, 8, true, -1, O},
      {"END", C, 60, false, -1, O},
      {"NUM", C, 10, false, -1, OC},
      {"COMPL", C, 60, false, -1, OC},
      {"BAIRRO", C, 60, false, -1, O},
      {"FONE", C, 11, false, -1, OC},
      {"FAX", C, 11, false, -1, OC},
      {"EMAIL", C, 0, false, -1, OC}}},
    {"0100",
     "0001",
     2,
     Occurrence::One,
     {{"REG", C, 4, true, -1, O},
      {"NOME", C, 100, false, -1, O},
      {"CPF", N, 11, true, -1, O},
      {"CRC", C, 15, false, -1, O},
      {"CNPJ", N, 14, true, -1, OC},
      {"CEP", N, 8, true, -1, OC},
      {"END", C, 60, false, -1, OC},
      {"NUM", C, 10, false, -1, OC},
      {"COMPL", C, 60, false, -1, OC},
      {"BAIRRO", C, 60, false, -1, OC},
      {"FONE", C, 11, false, -1, OC},
      {"FAX", C, 11, false, -1, OC},
      {"EMAIL", C, 0, false, -1, O},
      {"COD_MUN", N, 7, true, -1, OC}}},
    {"0150",
     "0001",
     2,
     Occurrence::Many,
     {{"REG", C, 4, true, -1, O},
      {"COD_PART", C, 60, false, -1, O},
      {"NOME", C, 100, false, -1, O},
      {"COD_PAIS", N, 5, false, -1, O},
      {"CNPJ", N, 14, true, -1, OC},
      {"CPF", N, 11, true, -1, OC},
      {"IE", C, 14, false, -1, OC},
      {"COD_MUN", N, 7, true, -1, OC},
      {"SUFRAMA", C, 9, true, -1, OC},
      {"END", C, 60, false, -1, O},
      {"NUM", C, 10, false, -1, OC},
      {"COMPL", C, 60, false, -1, OC},
      {"BAIRRO", C, 60, false, -1, OC}}},
    {"0190",
     "0001",
     2,
     Occurrence::Many,
     {{"REG", C, 4, true, -1, O}, {"UNID", C, 6, false, -1, O}, {"DESCR", C, 0, false, -1, O}}},
    {"0200",
     "0001",
     2,
     Occurrence::Many,
     {{"REG", C, 4, true, -1, O},
      {"COD_ITEM", C, 60, false, -1, O},
      {"DESCR_ITEM", C, 0, false, -1, O},
      {"COD_BARRA", C, 0, false, -1, OC},
      {"COD_ANT_ITEM", C, 60, false, -1, OC},
      {"UNID_INV", C, 6, false, -1, OC},
      {"TIPO_ITEM", N, 2, true, -1, O},
      {"COD_NCM", C, 8, true, -1, OC},
      {"EX_IPI", C, 3, false, -1, OC},
      {"COD_GEN", N, 2, true, -1, OC},
      {"COD_LST", C, 5, false, -1, OC},
      {"ALIQ_ICMS", N, 6, false, 2, OC},
      {"CEST", N, 7, true, -1, OC}}},
    {"0990",
     "0000",
     1,
     Occurrence::One,
     {{"REG", C, 4, true, -1, O}, {"QTD_LIN_0", N, 0, false, -1, O}}},
    {"H001",
     "0000",
     1,
     Occurrence::One,
     {{"REG", C, 4, true, -1, O}, {"IND_MOV", C, 1, true, -1, O}}},
    {"H005",
     "H001",
     2,
     Occurrence::Many,
     {{"REG", C, 4, true, -1, O},
      {"DT_INV", D, 8, true, -1, O},
      {"VL_INV", N, 0, false, 2, O},
      {"MOT_INV", C, 2, true, -1, O}}},
    {"H010",
     "H005",
     3,
     Occurrence::Many,
     {{"REG", C, 4, true, -1, O},
      {"COD_ITEM", C, 60, false, -1, O},
      {"UNID", C, 6, false, -1, O},
      {"QTD", N, 0, false, 3, O},
      {"VL_UNIT", N, 0, false, 6, O},
      {"VL_ITEM", N, 0, false, 2, O},
      {"IND_PROP", C, 1, true, -1, O},
      {"COD_PART", C, 60, false, -1, OC},
      {"TXT_COMPL", C, 0, false, -1, OC},
      {"COD_CTA", C, 0, false, -1, OC},
      {"VL_ITEM_IR", N, 0, false, 2, OC}}},
    {"H020",
     "H010",
     4,
     Occurrence::One,
     {{"REG", C, 4, true, -1, O},
      {"CST_ICMS", N, 3, true, -1, O},
      {"BC_ICMS", N, 0, false, 2, O},
      {"VL_ICMS", N, 0, false, 2, O}}},
    {"H990",
     "0000",
     1,
     Occurrence::One,
     {{"REG", C, 4, true, -1, O}, {"QTD_LIN_H", N, 0, false, -1, O}}},
    {"9001",
     "0000",
     1,
     Occurrence::One,
     {{"REG", C, 4, true, -1, O}, {"IND_MOV", C, 1, true, -1, O}}},
    {"9900",
     "9001",
     2,
     Occurrence::Many,
     {{"REG", C, 4, true, -1, O},
      {"REG_BLC", C, 4, true, -1, O},
      {"QTD_REG_BLC", N, 0, false, -1, O}}},
    {"9990",
     "0000",
     1,
     Occurrence::One,
     {{"REG", C, 4, true, -1, O}, {"QTD_LIN_9", N, 0, false, -1, O}}},
    {"9999", "", 0, Occurrence::One, {{"REG", C, 4, true, -1, O}, {"QTD_LIN", N, 0, false, -1, O}}},
};

// Codes of the layout (0000 COD_VER) by the first period they apply to, one a year since 2019:
// 013 for 2019 (https://packagist.org/packages/tiagokb/sped-efd), 014 for 2020
// (https://tdn.totvs.com.br/pages/releaseview.action?pageId=546249732), 017 for 2023
// (https://packagist.org/packages/nfephp-org/sped-efd), 018 for 2024 (Nota Técnica 2023.001,
// https://blog.tecnospeed.com.br/efd-icms-ipi-nota-tecnica-2023-001-e-guia-pratico-do-leiaute-018),
// 019 for 2025 (Ato COTEPE/ICMS nº 131/2024,
// https://blog.tecnospeed.com.br/efd-icms-ipi-nota-tecnica-2024-001), 020 for 2026 (Ato COTEPE/ICMS
// nº 79/2025, https://blog.tecnospeed.com.br/novo-leiaute-do-sped-fiscal-para-2026/).
const std::vector<LayoutVersion> kVersions = {
    {"013", "2019-01-01"}, {"014", "2020-01-01"}, {"015", "2021-01-01"}, {"016", "2022-01-01"},
    {"017", "2023-01-01"}, {"018", "2024-01-01"}, {"019", "2025-01-01"}, {"020", "2026-01-01"},
};

bool AllDigits(std::string_view text) {
  for (char c : text)
    if (c < '0' || c > '9') return false;
  return true;
}

bool ValidDate(std::string_view text) {
  if (text.size() != 8 || !AllDigits(text)) return false;
  const int day = (text[0] - '0') * 10 + (text[1] - '0');
  const int month = (text[2] - '0') * 10 + (text[3] - '0');
  const int year = std::stoi(std::string(text.substr(4)));
  if (month < 1 || month > 12 || day < 1 || year < 1900) return false;
  static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  return day <= kDays[month - 1] + (month == 2 && leap ? 1 : 0);
}

}  // namespace

const std::vector<RecordDef>& Records() { return kRecords; }

const RecordDef* FindRecord(std::string_view code) {
  for (const RecordDef& r : kRecords)
    if (r.code == code) return &r;
  return nullptr;
}

int RecordOrder(std::string_view code) {
  for (size_t i = 0; i < kRecords.size(); ++i)
    if (kRecords[i].code == code) return static_cast<int>(i);
  return -1;
}

std::string CheckField(const FieldDef& field, std::string_view value) {
  if (value.empty()) return field.required ? "obrigatório" : "";
  switch (field.type) {
    case FieldType::Date: return ValidDate(value) ? "" : "não é uma data ddmmaaaa";
    case FieldType::Number: {
      const size_t comma = value.find(',');
      const std::string_view whole = value.substr(0, comma);
      if (whole.empty() || !AllDigits(whole))
        return "não é um número (só dígitos e vírgula decimal)";
      if (comma != std::string_view::npos) {
        const std::string_view fraction = value.substr(comma + 1);
        if (field.decimals < 0) return "não aceita casas decimais";
        if (fraction.empty() || !AllDigits(fraction))
          return "não é um número (só dígitos e vírgula decimal)";
        if (static_cast<int>(fraction.size()) > field.decimals) {
          return "mais de " + std::to_string(field.decimals) + " casas decimais";
        }
      }
      break;
    }
    case FieldType::Text: break;
  }
  // Sizes count characters; the file is ISO-8859-1, one byte a character.
  const int length = static_cast<int>(value.size());
  if (field.exact && field.size > 0 && length != field.size) {
    return "deve ter " + std::to_string(field.size) + " caracteres";
  }
  if (!field.exact && field.size > 0 && length > field.size) {
    return "mais de " + std::to_string(field.size) + " caracteres";
  }
  return "";
}

const std::vector<LayoutVersion>& LayoutVersions() { return kVersions; }

std::string_view LayoutVersionFor(std::string_view period_start) {
  const LayoutVersion* found = nullptr;
  for (const LayoutVersion& v : kVersions)
    if (v.from <= period_start) found = &v;
  if (found == nullptr) {
    throw Exception(
        "Não há versão do leiaute da EFD ICMS/IPI conhecida para o período que começa em " +
        std::string(period_start) + " (a mais antiga vale a partir de " +
        std::string(kVersions.front().from) + ").");
  }
  return found->code;
}

}  // namespace stock::efd
