// A report plug-in for the parameter-screen tests.
//   DoParamChange  copies pCodigo, upper-cased, into pEco
//   DoParamExit    refuses pCodigo "0" with "Código zero não é aceito."
//   ImprimirInterno  with pPerguntar=1 asks "Confirma a impressão?" (Sim/Não) and ends with
//                  the message "Impressão cancelada." on Não; with pPerguntar=2 warns "Empresa
//                  inativa." (one button) and ends with that message; with pErro set raises
//                  "Data inicial inválida: '<pErro>'." (pErro=sql: queries a table the
//                  test database lacks); with pLatin1=1 ends with a message
//                  holding a name in Latin-1 ("José" with byte E9), as a database may; then prints
//                  pLinhas lines, one per progress step, waiting pEspera milliseconds after each.

#include <chrono>
#include <thread>

#include "basekit/ExecutarSQL.h"
#include "basekit/MessageDlg.h"
#include "frame/nrwBaseDllReg.h"
#include "reportkit/ParamItem.h"
#include "rtl/Exception.h"
#include "rtl/StrConv.h"
#include "rtl/StringUtils.h"

class TProbeScreen : public TnrwBaseDll {
 public:
  explicit TProbeScreen(TnrwReport* rep) : TnrwBaseDll(rep) {}

  void DoParamChange(TObject*, TnpqParamItem* item) override {
    if (item->GetName() == "pCodigo") RepParam("pEco", AnsiUpperCase(item->GetValue()));
  }

  void DoParamExit(TObject* sender, TnpqParamItem* item) override {
    TnrwBaseDll::DoParamExit(sender, item);
    if (item->GetName() == "pCodigo" && Trim(item->GetValue()) == "0") {
      throw Exception("Código zero não é aceito.");
    }
  }

  void ImprimirInterno() override {
    if (RepParam("pPerguntar") == "2") {
      nMessageDlg("Empresa inativa.", mtWarning, {"Ok"}, 0, 0, 0, 0);
      Report()->MsgMensagem(0, "Impressão cancelada.");
      return;
    }
    if (RepParam("pPerguntar") == "1" &&
        nMessageDlg("Confirma a impressão?", mtConfirmation, {"Sim", "Não"}, 1, 0, 1, 0) != 0) {
      Report()->MsgMensagem(0, "Impressão cancelada.");
      return;
    }
    if (RepParam("pLatin1") == "1") Report()->MsgMensagem(0, "Empresa Jos\xe9 Ltda.");
    if (RepParam("pErro") == "sql") {
      TDataSet* missing = ExecutarSQL("select CODIGOPRODUTO from PRODUTO", nullptr, true, false, -1,
                                      "", nullptr, true);
      DestruirSQL(missing);
    }
    if (!RepParam("pErro").empty())
      throw Exception("Data inicial inválida: '" + RepParam("pErro") + "'.");
    const int linhas = StrToIntDef(RepParam("pLinhas"), 1);
    const int espera = StrToIntDef(RepParam("pEspera"), 0);
    for (int i = 1; i <= linhas; ++i) {
      RepParam("pLinha", IntToStr(i));
      Report()->RepPrintSection(8);
      if (Report()->CSLShowProgress(i, linhas)) break;
      if (espera > 0) std::this_thread::sleep_for(std::chrono::milliseconds(espera));
    }
  }
};

STOCK_REPORT_LIBRARY(TProbeScreen, {"DoParamChange", {"Sender", "_AParam"}},
                     {"DoParamExit", {"Sender", "_AParam"}}, {"ImprimirInterno", {}})
