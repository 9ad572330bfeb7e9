// A report plug-in for the engine and frame tests. What it does is chosen by the report
// parameter pModo:
//   print      prints section 8 pLinhas times (default 1), counting passes into pLog
//   raise      sets every hook, then raises "falha de teste"
//   inner      prints section 8, then the definition named by pInterno inside the report,
//              then section 8 again
//   afterpage  prints section 8 and ends the page; its after-page hook prints section 9
//   footer     prints section 8; its before-section hook, through the instance, adds "R" to
//              pLog when the footer section (9) prints
//   footerraise  the same, but the hook raises "falha no rodapé"
//   stdraise   raises a std::out_of_range, not an Exception
// It also writes its own address into pInstancia and the number of ImprimirInterno calls on
// this instance into pChamadas.

#include <memory>
#include <stdexcept>

#include "basekit/DataModules.h"
#include "frame/nrwBaseDllReg.h"
#include "reportkit/DMReport.h"
#include "rtl/Exception.h"
#include "rtl/StrConv.h"

class TProbeReport : public TnrwBaseDll {
 public:
  explicit TProbeReport(TnrwReport* rep) : TnrwBaseDll(rep) {
    RepParam("pInstancia",
             std::to_string(reinterpret_cast<uintptr_t>(static_cast<TObject*>(this))));
  }

  std::string Versao() override { return "[versao: 9.9.9.9]"; }

  void ImprimirInterno() override {
    ++chamadas_;
    RepParam("pChamadas", IntToStr(chamadas_));
    RepParam("pLog", RepParam("pLog") + (IsDrawNormal() ? "T" : "F"));
    const std::string modo = RepParam("pModo");
    if (modo == "raise") {
      Report()->SetOnBeforeSection([](TObject*, int) {});
      Report()->SetOnAfterSection([](TObject*, int) {});
      Report()->SetOnAfterPage([](TObject*) {});
      Report()->SetOnBeforeReport([](TObject*) {});
      throw Exception("falha de teste");
    }
    if (modo == "footer" || modo == "footerraise") {
      Report()->SetOnBeforeSection([this, raise = modo == "footerraise"](TObject*, int n) {
        if (n != 9) return;
        if (raise) throw Exception("falha no rodapé");
        RepParam("pLog", RepParam("pLog") + "R");
      });
      Report()->RepPrintSection(8);
      return;
    }
    if (modo == "stdraise") throw std::out_of_range("índice fora do intervalo");
    if (modo == "inner") {
      Report()->RepPrintSection(8);
      std::unique_ptr<TObject> module(CriarDMNovo(RepParam("pInterno")));
      RepInterno(dynamic_cast<TnDMReport*>(module.get()));
      Report()->RepPrintSection(8);
      return;
    }
    if (modo == "afterpage") {
      Report()->SetOnAfterPage([this](TObject*) {
        Report()->SetOnAfterPage(nullptr);
        Report()->RepPrintSection(9);
      });
      Report()->RepPrintSection(8);
      Report()->SetCSLIsPageEnd(true);
      Report()->SetOnAfterPage(nullptr);
      return;
    }
    const int linhas = StrToIntDef(RepParam("pLinhas"), 1);
    for (int i = 1; i <= linhas; ++i) {
      RepParam("pLinha", IntToStr(i));
      Report()->RepPrintSection(8);
      if (Report()->CSLShowProgress(i, linhas)) break;
    }
  }

 private:
  int chamadas_ = 0;
};

STOCK_REPORT_LIBRARY(TProbeReport, {"Versao", {}}, {"ImprimirInterno", {}})
