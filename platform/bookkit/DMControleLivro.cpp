#include "bookkit/DMControleLivro.h"

#include <algorithm>

#include "basekit/Conexao.h"
#include "basekit/ExecutarSQL.h"
#include "basekit/Transacao.h"
#include "bookkit/PublicacaoLivro.h"
#include "rtl/Exception.h"
#include "rtl/StrConv.h"

struct TnDMControleLivro::Configuracao {
  std::string meses_novo_livro;  // INCLIVROMES, "" when none
  bool frente_verso = false;
  bool todas_paginas = true;
  int limite_folhas = 500;
  std::string legenda = "Folha";
};

// Where the numbering of the run starts.
struct TnDMControleLivro::Numeracao {
  bool existe = false;  // an implantation or a printed period was found
  int livro = 1;
  int folha = 0;
  int mes = -1;  // month of the origin (year * 12 + month - 1), -1 when none

  // Same starting point for the pages taken (the month matters only once a page was used).
  bool MesmaOrigem(const Numeracao& outra) const {
    return livro == outra.livro && folha == outra.folha && (folha == 0 || mes == outra.mes);
  }
};

namespace {

int IndiceMes(TDateTime data) {
  const DateParts partes = DecodeDate(data);
  return partes.year * 12 + partes.month - 1;
}

Variant Chave(int empresa, int estab, int tipo, TDateTime data) {
  return VarArrayOf({Variant(empresa), Variant(estab), Variant(tipo), Variant::FromDate(data)});
}

const char* const kCondicaoLivro =
    " where CODIGOEMPRESA = :empresa and CODIGOESTAB = :estab and TIPOLIVRO = :tipo";

}  // namespace

void TnDMControleLivro::LerOrigem(TnConexao& conexao, int empresa, int estab, int tipo,
                                  TDateTime inicio, Numeracao* n) {
  // The latest period that ended before the start.
  SQLDataSetPtr periodo(ExecutarSQL(
      std::string("select DATAFINAL, NUMLIVRO, ULTIMAFOLHA from LIVROPERIODO") + kCondicaoLivro +
          " and DATAFINAL < :inicio order by DATAFINAL desc, DATAINICIAL desc",
      Chave(empresa, estab, tipo, inicio), true, false, 1, "", &conexao, true));
  // The latest implantation at or before the start (compared with the next day, so a value
  // stored with a time of day still counts).
  SQLDataSetPtr implantacao(ExecutarSQL(
      std::string("select DATAIMPLANTACAO, NUMLIVRO, ULTIMAFOLHA from LIVRONUMERACAO") +
          kCondicaoLivro + " and DATAIMPLANTACAO < :inicio order by DATAIMPLANTACAO desc",
      Chave(empresa, estab, tipo, inicio + 1), true, false, 1, "", &conexao, true));

  TDataSet* origem = nullptr;
  if (!periodo->IsEmpty()) origem = periodo.get();
  if (!implantacao->IsEmpty() &&
      (origem == nullptr ||
       DateOf(implantacao->Fields(0)->AsDateTime()) > DateOf(periodo->Fields(0)->AsDateTime()))) {
    origem = implantacao.get();
  }
  *n = Numeracao();
  if (origem != nullptr) {
    n->existe = true;
    n->livro = std::max<int>(1, static_cast<int>(origem->Fields(1)->AsInteger()));
    n->folha = std::max<int>(0, static_cast<int>(origem->Fields(2)->AsInteger()));
    n->mes = IndiceMes(origem->Fields(0)->AsDateTime());
  }
}

TnDMControleLivro::TnDMControleLivro(TnConexao* conexao) : conexao_(conexao) {}

TnDMControleLivro::~TnDMControleLivro() = default;

std::string TnDMControleLivro::ClassName() const { return "TnDMControleLivro"; }

TnConexao& TnDMControleLivro::Conexao() const { return ConexaoOuPadrao(conexao_); }

void TnDMControleLivro::Esquecer() {
  configuracao_.reset();
  numeracao_.reset();
  iniciado_ = false;
  livro_ = 1;
  folha_ = 0;
  mes_ = -1;
  periodos_.clear();
}

void TnDMControleLivro::SetCodigoEmpresa(int codigo) {
  empresa_ = codigo;
  Esquecer();
}
void TnDMControleLivro::SetCodigoEstab(int codigo) {
  estab_ = codigo;
  Esquecer();
}
void TnDMControleLivro::SetTipoLivro(int tipo) {
  tipo_ = tipo;
  Esquecer();
}
void TnDMControleLivro::SetDataInicial(TDateTime data) {
  data_inicial_ = DateOf(data);
  Esquecer();
}
void TnDMControleLivro::SetDataFinal(TDateTime data) {
  data_final_ = DateOf(data);
  Esquecer();
}

const TnDMControleLivro::Configuracao& TnDMControleLivro::LerConfiguracao() {
  if (configuracao_) return *configuracao_;
  auto c = std::make_unique<Configuracao>();
  SQLDataSetPtr ds(ExecutarSQL(
      std::string("select INCLIVROMES, FRENTEVERSO, TIPOIMPNUMERACAO, LIMITEFOLHAS, LEGENDAFOLHA "
                  "from CONTROLELIVRO") +
          kCondicaoLivro,
      VarArrayOf({Variant(empresa_), Variant(estab_), Variant(tipo_)}), true, false, 1, "",
      &Conexao(), true));
  if (!ds->IsEmpty()) {
    if (!ds->Fields(0)->IsNull()) c->meses_novo_livro = ds->Fields(0)->AsString();
    if (!ds->Fields(1)->IsNull()) c->frente_verso = ds->Fields(1)->AsInteger() == 1;
    if (!ds->Fields(2)->IsNull()) c->todas_paginas = ds->Fields(2)->AsInteger() != 1;
    if (!ds->Fields(3)->IsNull()) c->limite_folhas = static_cast<int>(ds->Fields(3)->AsInteger());
    if (!ds->Fields(4)->IsNull()) c->legenda = ds->Fields(4)->AsString();
  }
  configuracao_ = std::move(c);
  return *configuracao_;
}

const TnDMControleLivro::Numeracao& TnDMControleLivro::LerNumeracao() {
  if (!numeracao_) {
    auto n = std::make_unique<Numeracao>();
    LerOrigem(Conexao(), empresa_, estab_, tipo_, data_inicial_, n.get());
    numeracao_ = std::move(n);
  }
  return *numeracao_;
}

// The register's own test, kept identical so that the book changes it prints terms for are the
// ones numbered here: ";<month>;" inside ";" + INCLIVROMES + ";".
bool TnDMControleLivro::MesIniciaLivro(int mes) {
  const std::string& meses = LerConfiguracao().meses_novo_livro;
  if (meses.empty()) return false;
  std::string lista(1, ';');
  lista.append(meses).push_back(';');
  std::string item(1, ';');
  item.append(IntToStr(mes)).push_back(';');
  return lista.find(item) != std::string::npos;
}

bool TnDMControleLivro::GetExisteNumeracaoLivro() { return LerNumeracao().existe; }
bool TnDMControleLivro::GetImpressaoTodasPaginas() { return LerConfiguracao().todas_paginas; }
bool TnDMControleLivro::GetFrenteVerso() { return LerConfiguracao().frente_verso; }
int TnDMControleLivro::GetLimiteFolhas() { return LerConfiguracao().limite_folhas; }
std::string TnDMControleLivro::GetLegendaFolha() { return LerConfiguracao().legenda; }

void TnDMControleLivro::PegarLivroFolha(int& livro, int& folha, TDateTime data) {
  if (!iniciado_) {
    const Numeracao& n = LerNumeracao();
    livro_ = n.livro;
    folha_ = n.folha;
    mes_ = n.mes;
    iniciado_ = true;
  }
  const TDateTime dia = DateOf(data);
  const int mes = IndiceMes(dia);
  const int limite = LerConfiguracao().limite_folhas;
  bool novo_livro = limite >= 1 && folha_ + 1 > limite;
  if (folha_ > 0 && mes_ >= 0 && mes > mes_ && MesIniciaLivro(DecodeDate(dia).month)) {
    novo_livro = true;
  }
  if (novo_livro) {
    ++livro_;
    folha_ = 1;
  } else {
    ++folha_;
  }
  mes_ = std::max(mes_, mes);

  if (periodos_.empty() || dia > periodos_.back().data_final) {
    periodos_.push_back({dia, livro_, folha_});
  } else {
    periodos_.back().livro = livro_;
    periodos_.back().folha = folha_;
  }
  livro = livro_;
  folha = folha_;
}

void TnDMControleLivro::InserirPeriodoBanco(bool com_termos) {
  const Numeracao inicial = LerNumeracao();

  // The rows to record: one per period end, covering the bound period without a gap.
  struct Linha {
    TDateTime inicio, fim;
    int livro, folha;
  };
  std::vector<Linha> linhas;
  TDateTime inicio = data_inicial_;
  for (const PeriodoNumerado& p : periodos_) {
    const TDateTime fim = std::max(p.data_final, inicio);
    linhas.push_back({inicio, fim, p.livro, p.folha});
    inicio = fim + 1;
  }
  if (linhas.empty()) {
    linhas.push_back({data_inicial_, std::max(data_final_, data_inicial_), inicial.livro,
                      inicial.folha});
  } else {
    linhas.back().fim = std::max(linhas.back().fim, data_final_);
  }
  if (com_termos) ++linhas.back().folha;

  TnConexao& conexao = Conexao();
  std::unique_ptr<TnTransacao> transacao;
  try {
    transacao = std::make_unique<TnTransacao>(conexao, true);
  } catch (const Exception& e) {
    throw Exception("O controle de livros está em uso por outra impressão; tente novamente "
                    "quando ela terminar. (" + e.Message() + ")");
  }

  try {
    Numeracao atual;
    LerOrigem(conexao, empresa_, estab_, tipo_, data_inicial_, &atual);
    if (!atual.MesmaOrigem(inicial)) {
      throw Exception("A numeração do livro foi alterada por outra impressão durante esta; "
                      "imprima o período novamente.");
    }
    if (PeriodoPosteriorIgnoraEste(conexao, linhas.back().fim, linhas.back().livro,
                                   linhas.back().folha)) {
      throw Exception("Um período posterior deste livro foi registrado por outra impressão sem "
                      "contar as páginas deste; imprima este período junto com os posteriores.");
    }
    conexao.ExecutarComando(
        std::string("delete from LIVROPERIODO") + kCondicaoLivro +
            " and DATAINICIAL <= :fim and DATAFINAL >= :inicio",
        VarArrayOf({Variant(empresa_), Variant(estab_), Variant(tipo_),
                    Variant::FromDate(linhas.back().fim), Variant::FromDate(data_inicial_)}));
    const Variant impresso = Variant::FromDate(Now());
    for (const Linha& l : linhas) {
      conexao.ExecutarComando(
          "insert into LIVROPERIODO (CODIGOEMPRESA, CODIGOESTAB, TIPOLIVRO, DATAINICIAL, "
          "DATAFINAL, NUMLIVRO, ULTIMAFOLHA, COMTERMOS, DATAIMPRESSAO) values (:empresa, "
          ":estab, :tipo, :inicio, :fim, :livro, :folha, :termos, :impresso)",
          VarArrayOf({Variant(empresa_), Variant(estab_), Variant(tipo_),
                      Variant::FromDate(l.inicio), Variant::FromDate(l.fim), Variant(l.livro),
                      Variant(l.folha), Variant(com_termos ? 1 : 0), impresso}));
    }
    if (!atual.existe) {
      conexao.ExecutarComando(
          "insert into LIVRONUMERACAO (CODIGOEMPRESA, CODIGOESTAB, TIPOLIVRO, DATAIMPLANTACAO, "
          "NUMLIVRO, ULTIMAFOLHA) values (:empresa, :estab, :tipo, :data, 1, 0)",
          Chave(empresa_, estab_, tipo_, data_inicial_));
    }
  } catch (const Exception& e) {
    throw Exception("Não foi possível registrar o período no controle de livros: " +
                    e.Message());
  }

  if (TnPublicacaoLivro* publicacao = TnPublicacaoLivro::Atual()) {
    publicacao->Adotar(std::move(transacao));
  } else {
    transacao->Confirmar();
  }
}

// The first period recorded after `fim` was numbered from somewhere: from a period that this
// run replaces (it ends inside [start, fim]), or from numbering implanted after `fim` at or
// after this run's last page (`livro`, `folha`): then this run changes nothing it relied on.
// Otherwise it was numbered across these months without their pages, and recording them now
// would give two pages one number (a default implantation, book 1 page 0, is such a case).
bool TnDMControleLivro::PeriodoPosteriorIgnoraEste(TnConexao& conexao, TDateTime fim, int livro,
                                                   int folha) {
  SQLDataSetPtr seguinte(ExecutarSQL(
      std::string("select DATAINICIAL from LIVROPERIODO") + kCondicaoLivro +
          " and DATAINICIAL > :fim order by DATAINICIAL",
      Chave(empresa_, estab_, tipo_, fim), true, false, 1, "", &conexao, true));
  if (seguinte->IsEmpty()) return false;
  const Variant inicio_seguinte = Variant::FromDate(DateOf(seguinte->Fields(0)->AsDateTime()));
  const Variant chave_livro[] = {Variant(empresa_), Variant(estab_), Variant(tipo_)};
  SQLDataSetPtr anterior(ExecutarSQL(
      std::string("select DATAFINAL from LIVROPERIODO") + kCondicaoLivro +
          " and DATAINICIAL < :seguinte order by DATAINICIAL desc",
      VarArrayOf({chave_livro[0], chave_livro[1], chave_livro[2], inicio_seguinte}), true, false,
      1, "", &conexao, true));
  if (!anterior->IsEmpty() && DateOf(anterior->Fields(0)->AsDateTime()) >= data_inicial_) {
    return false;
  }
  SQLDataSetPtr implantada(ExecutarSQL(
      std::string("select NUMLIVRO, ULTIMAFOLHA from LIVRONUMERACAO") + kCondicaoLivro +
          " and DATAIMPLANTACAO >= :depois and DATAIMPLANTACAO <= :seguinte"
          " order by DATAIMPLANTACAO desc",
      VarArrayOf({chave_livro[0], chave_livro[1], chave_livro[2], Variant::FromDate(fim + 1),
                  inicio_seguinte}),
      true, false, 1, "", &conexao, true));
  if (implantada->IsEmpty()) return true;
  // The implanted numbering must lie at or after this run's last page.
  const int livro_implantado = static_cast<int>(implantada->Fields(0)->AsInteger());
  const int folha_implantada = static_cast<int>(implantada->Fields(1)->AsInteger());
  return livro > livro_implantado || (livro == livro_implantado && folha > folha_implantada);
}

std::unique_ptr<TnDMControleLivro> CriarControleLivro() {
  return std::make_unique<TnDMControleLivro>();
}
