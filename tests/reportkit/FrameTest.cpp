// The frame's entry points, on a plug-in loaded for real.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "ReportFixture.h"
#include "reportkit/PluginLibrary.h"
#include "rtl/Exception.h"
#include "rtl/LowArena.h"

namespace stock::test {
namespace {

class Frame : public ReportTest {
 protected:
  const PluginLibrary& Probe() { return PluginLibrary::Load("probeReport"); }

  std::string ImprimirError(const PluginLibrary& lib, int32_t handle) {
    try {
      lib.Imprimir(handle);
    } catch (const Exception& e) {
      return e.what();
    }
    return "no error";
  }
};

// Some other object in the low address range.
struct Other : TObject, LowArenaAllocated {};

TEST_F(Frame, ClassDllIsTheReportClassOnEveryCall) {
  TnrwBaseDllClassRef cls = Probe().ClassDll();
  ASSERT_NE(cls, nullptr);
  EXPECT_EQ(cls, Probe().ClassDll());
  EXPECT_EQ(cls->ClassName(), "TProbeReport");
  ASSERT_EQ(cls->PublishedMethods().size(), 2u);
  EXPECT_EQ(cls->PublishedMethods()[1].name, "ImprimirInterno");
}

TEST_F(Frame, ImprimirRefusesWhatIsNotALiveReport) {
  EXPECT_EQ(ImprimirError(Probe(), 0), "Erro: Endereço: 00000000 nao é de relatório.");
  // An address that is no object at all: checked against the registry, never dereferenced.
  EXPECT_EQ(ImprimirError(Probe(), 0x0badf00d), "Erro: Endereço: 0BADF00D nao é de relatório.");
  EXPECT_EQ(ImprimirError(Probe(), -2), "Erro: Endereço: FFFFFFFE nao é de relatório.");
  auto other = std::make_unique<Other>();
  const auto handle =
      static_cast<int32_t>(reinterpret_cast<intptr_t>(static_cast<TObject*>(other.get())));
  char hex[9];
  std::snprintf(hex, sizeof hex, "%08X", static_cast<uint32_t>(handle));
  EXPECT_EQ(ImprimirError(Probe(), handle),
            std::string("Erro: Endereço: ") + hex + " nao é de relatório.");
}

TEST_F(Frame, EachCallRunsOnAFreshInstanceThatIsFreedAfterwards) {
  TnrwReport& r = StartReport(SmallDefinition());
  Probe().Imprimir(ReportHandle(&r));
  Probe().Imprimir(ReportHandle(&r));
  EXPECT_EQ(r.GetParams()->GetValues("pChamadas"), "1");  // nothing carried over
  EXPECT_EQ(r.GetParams()->GetValues("pLog"), "TT");
  EXPECT_EQ(Lines("section 8").size(), 2u);
  const auto instance = std::stoull(r.GetParams()->GetValues("pInstancia"));
  EXPECT_FALSE(TObject::IsLiveObject(reinterpret_cast<void*>(instance)));
}

TEST_F(Frame, AnExceptionOfImprimirInternoReachesTheCallerAfterTheInstanceIsFreed) {
  TnrwReport& r = StartReport(SmallDefinition());
  r.GetParams()->SetValues("pModo", "raise");
  EXPECT_EQ(ImprimirError(Probe(), ReportHandle(&r)), "falha de teste");
  const auto instance = std::stoull(r.GetParams()->GetValues("pInstancia"));
  EXPECT_FALSE(TObject::IsLiveObject(reinterpret_cast<void*>(instance)));
  r.ClearHooks();
}

TEST_F(Frame, UnsetClassRaises) {
  TnrwReport& r = StartReport(SmallDefinition());
  const PluginLibrary& lib = PluginLibrary::Load("probeNoClass");
  EXPECT_EQ(lib.ClassDll(), nullptr);
  EXPECT_EQ(ImprimirError(lib, ReportHandle(&r)), "FClassDll está nil.");
}

TEST_F(Frame, ReportObjectsLiveBelowTwoGigabytes) {
  TnrwReport& r = StartReport(SmallDefinition());
  EXPECT_LT(reinterpret_cast<uintptr_t>(&r), uintptr_t{0x80000000});
  EXPECT_EQ(reinterpret_cast<TnrwReport*>(static_cast<intptr_t>(ReportHandle(&r))), &r);
}

}  // namespace
}  // namespace stock::test
