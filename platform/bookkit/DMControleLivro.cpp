#include "bookkit/DMControleLivro.h"

#include <algorithm>
#include <set>

#include "basekit/Conexao.h"
#include "basekit/ExecutarSQL.h"
#include "basekit/Transacao.h"
#include "bookkit/PublicacaoLivro.h"
#include "datakit/StringArray.h"
#include "rtl/Exception.h"
#include "rtl/FormatDateTime.h"
#include "rtl/StrConv.h"
#include "rtl/StringUtils.h"

struct TnDMControleLivro::Configuracao {
  std::set<int> meses_novo_livro;  // INCLIVROMES
  bool frente_verso = false;
  bool todas_paginas = true;
  int limite_folhas = 500;
  std::string legenda = "Folha";
};

// Where the numbering of the run starts.
struct TnDMControleLivro::Origem {
  bool existe = false;      // a starting point or a printed period was found
  bool implantada = false;  // it is a starting point
  int livro = 1;
  int folha = 0;
  bool encerrado = false;  // the period's last page is its book's closing term
  TDateTime data = 0;      // the period's end, or the starting point's date
  // When the origin is a period of a book left open: the first day of that book's first
  // recorded period (after any starting point), so its closing term states the whole span.
  TDateTime inicio_livro = 0;

  // The same numbering for the pages to come (the day matters only once a page was used:
  // no numbering and book 1 implanted at page 0 number alike).
  bool Igual(const Origem& outra) const {
    return livro == outra.livro && folha == outra.folha && encerrado == outra.encerrado &&
           (folha == 0 || data == outra.data);
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

std::string Dia(TDateTime data) { return DateToStr(DateOf(data)); }

}  // namespace

void TnDMControleLivro::LerOrigem(TnConexao& conexao, int empresa, int estab, int tipo,
                                  TDateTime inicio, Origem* o) {
  // The latest period that ended before the start.
  SQLDataSetPtr periodo(ExecutarSQL(
      std::string("select DATAFINAL, NUMLIVRO, ULTIMAFOLHA, COMTERMOS from LIVROPERIODO") +
          kCondicaoLivro + " and DATAFINAL < :inicio order by DATAFINAL desc, DATAINICIAL desc",
      Chave(empresa, estab, tipo, inicio), true, false, 1, "", &conexao, true));
  // The latest starting point at or before the start (compared with the next day, so a value
  // stored with a time of day still counts).
  SQLDataSetPtr implantacao(ExecutarSQL(
      std::string("select DATAIMPLANTACAO, NUMLIVRO, ULTIMAFOLHA from LIVRONUMERACAO") +
          kCondicaoLivro + " and DATAIMPLANTACAO < :inicio order by DATAIMPLANTACAO desc",
      Chave(empresa, estab, tipo, inicio + 1), true, false, 1, "", &conexao, true));

  *o = Origem();
  TDataSet* origem = nullptr;
  if (!periodo->IsEmpty()) origem = periodo.get();
  // A starting point wins over a period that ended on or before its date.
  if (!implantacao->IsEmpty() &&
      (origem == nullptr ||
       DateOf(implantacao->Fields(0)->AsDateTime()) >= DateOf(periodo->Fields(0)->AsDateTime()))) {
    origem = implantacao.get();
    o->implantada = true;
  }
  if (origem == nullptr) return;
  o->existe = true;
  o->data = DateOf(origem->Fields(0)->AsDateTime());
  o->livro = std::max<int>(1, static_cast<int>(origem->Fields(1)->AsInteger()));
  o->folha = std::max<int>(0, static_cast<int>(origem->Fields(2)->AsInteger()));
  o->encerrado =
      !o->implantada && !origem->Fields(3)->IsNull() && origem->Fields(3)->AsInteger() == 1;
  if (o->implantada || o->encerrado) return;
  // The book's recorded periods, from the last starting point on (one dated on a period's
  // first day applies to that period).
  const TDateTime desde = implantacao->IsEmpty() ? 0 : DateOf(implantacao->Fields(0)->AsDateTime());
  SQLDataSetPtr primeiro(
      ExecutarSQL(std::string("select min(DATAINICIAL) from LIVROPERIODO") + kCondicaoLivro +
                      " and NUMLIVRO = :livro and DATAFINAL < :inicio and DATAINICIAL >= :desde",
                  VarArrayOf({Variant(empresa), Variant(estab), Variant(tipo), Variant(o->livro),
                              Variant::FromDate(inicio), Variant::FromDate(desde)}),
                  true, false, 1, "", &conexao, true));
  if (!primeiro->IsEmpty() && !primeiro->Fields(0)->IsNull()) {
    o->inicio_livro = DateOf(primeiro->Fields(0)->AsDateTime());
  }
}

TnDMControleLivro::TnDMControleLivro(TnConexao* conexao) : conexao_(conexao) {}

TnDMControleLivro::~TnDMControleLivro() = default;

std::string TnDMControleLivro::ClassName() const { return "TnDMControleLivro"; }

TnConexao& TnDMControleLivro::Conexao() const { return ConexaoOuPadrao(conexao_); }

void TnDMControleLivro::Esquecer() {
  configuracao_.reset();
  origem_.reset();
  iniciado_ = false;
  livro_ = 1;
  folha_ = 0;
  aberto_ = com_corpo_ = encerrado_ = trocar_ = false;
  proximo_livro_ = proxima_folha_ = 0;
  posicao_ = 0;
  referencia_mes_ = 0;
  tem_referencia_ = false;
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
    if (!ds->Fields(0)->IsNull()) {
      // "1;7", "1; 7" and "01;07" list the same months; anything else is no month.
      for (const std::string& item : StrToStrArray(ds->Fields(0)->AsString(), ";")) {
        const int mes = StrToIntDef(Trim(item), 0);
        if (mes >= 1 && mes <= 12) c->meses_novo_livro.insert(mes);
      }
    }
    if (!ds->Fields(1)->IsNull()) c->frente_verso = ds->Fields(1)->AsInteger() == 1;
    if (!ds->Fields(2)->IsNull()) c->todas_paginas = ds->Fields(2)->AsInteger() != 1;
    if (!ds->Fields(3)->IsNull()) c->limite_folhas = static_cast<int>(ds->Fields(3)->AsInteger());
    if (!ds->Fields(4)->IsNull()) c->legenda = ds->Fields(4)->AsString();
  }
  configuracao_ = std::move(c);
  return *configuracao_;
}

const TnDMControleLivro::Origem& TnDMControleLivro::LerNumeracao() {
  if (!origem_) {
    auto o = std::make_unique<Origem>();
    LerOrigem(Conexao(), empresa_, estab_, tipo_, data_inicial_, o.get());
    origem_ = std::move(o);
  }
  return *origem_;
}

void TnDMControleLivro::Iniciar() {
  if (iniciado_) return;
  const Origem& o = LerNumeracao();
  livro_ = o.livro;
  folha_ = o.folha;
  // A recorded period printed pages of its book; a starting point's book has none printed.
  aberto_ = o.existe && !o.implantada && o.folha > 0;
  com_corpo_ = aberto_;
  encerrado_ = o.encerrado;
  trocar_ = false;
  proximo_livro_ = proxima_folha_ = 0;
  posicao_ = 0;  // every run begins on the front of a sheet
  referencia_mes_ = o.data;
  tem_referencia_ = o.existe;
  iniciado_ = true;
}

bool TnDMControleLivro::MesIniciaLivro(int mes) {
  return LerConfiguracao().meses_novo_livro.count(mes) > 0;
}

bool TnDMControleLivro::Alinhado() {
  const Configuracao& c = LerConfiguracao();
  return c.frente_verso || !c.todas_paginas;
}

bool TnDMControleLivro::EmFrente() { return !Alinhado() || posicao_ % 2 == 0; }

bool TnDMControleLivro::Cheio() {
  const int limite = LerConfiguracao().limite_folhas;
  return limite >= 1 && folha_ >= limite && com_corpo_ && EmFrente();
}

void TnDMControleLivro::NovoLivro() {
  if (proximo_livro_ > 0) {
    livro_ = proximo_livro_;
    folha_ = proxima_folha_;
  } else {
    ++livro_;
    folha_ = 0;
  }
  aberto_ = com_corpo_ = encerrado_ = trocar_ = false;
  proximo_livro_ = proxima_folha_ = 0;
  posicao_ = 0;
}

void TnDMControleLivro::IniciarPeriodo(TDateTime inicio, TDateTime fim) {
  Iniciar();
  inicio = DateOf(inicio);
  fim = std::max(DateOf(fim), inicio);
  if (!periodos_.empty()) {
    // Inside the run: a starting point dated from the previous period's end to this start
    // takes effect here (before the run, the origin already took it).
    const TDateTime anterior = periodos_.back().fim;
    SQLDataSetPtr ponto(ExecutarSQL(
        std::string("select DATAIMPLANTACAO, NUMLIVRO, ULTIMAFOLHA from LIVRONUMERACAO") +
            kCondicaoLivro +
            " and DATAIMPLANTACAO >= :anterior and DATAIMPLANTACAO < :depois"
            " order by DATAIMPLANTACAO desc",
        VarArrayOf({Variant(empresa_), Variant(estab_), Variant(tipo_), Variant::FromDate(anterior),
                    Variant::FromDate(inicio + 1)}),
        true, false, 1, "", &Conexao(), true));
    if (!ponto->IsEmpty()) {
      const int livro = std::max<int>(1, static_cast<int>(ponto->Fields(1)->AsInteger()));
      const int folha = std::max<int>(0, static_cast<int>(ponto->Fields(2)->AsInteger()));
      if (livro == livro_ && !encerrado_ && !trocar_) {
        folha_ = folha;  // the same book goes on after the page given
      } else {
        trocar_ = true;
        proximo_livro_ = livro;
        proxima_folha_ = folha;
      }
      referencia_mes_ = DateOf(ponto->Fields(0)->AsDateTime());
    } else {
      referencia_mes_ = anterior;
    }
    tem_referencia_ = true;
  }
  // A listed month begins a new book, once the book has pages and the month is later than the
  // one the numbering continues from.
  if (!trocar_ && !encerrado_ && folha_ > 0 && tem_referencia_ &&
      IndiceMes(inicio) > IndiceMes(referencia_mes_) && MesIniciaLivro(DecodeDate(inicio).month)) {
    trocar_ = true;
  }
  periodos_.push_back({inicio, fim, livro_, folha_, encerrado_, 0});
}

bool TnDMControleLivro::DeveTrocarLivro() {
  Iniciar();
  return encerrado_ || trocar_ || Cheio();
}

bool TnDMControleLivro::GetLivroAberto() {
  Iniciar();
  return aberto_ && !encerrado_;
}

bool TnDMControleLivro::LivroRegistrado(TDateTime& inicio, TDateTime& fim) {
  Iniciar();
  const Origem& o = LerNumeracao();
  if (!aberto_ || encerrado_ || !o.existe || o.implantada || o.encerrado || livro_ != o.livro ||
      o.inicio_livro <= 0) {
    return false;
  }
  inicio = o.inicio_livro;
  fim = o.data;
  return true;
}

bool TnDMControleLivro::ProximaEhMeiaFolha() {
  Iniciar();
  return !EmFrente();
}

bool TnDMControleLivro::ProximaEhVerso() {
  Iniciar();
  return GetFrenteVerso() && posicao_ % 2 == 1;
}

TnFolhaLivro TnDMControleLivro::PegarFolha(TnPaginaLivro tipo) {
  Iniciar();
  if (periodos_.empty()) IniciarPeriodo(data_inicial_, data_final_);
  const bool todas = LerConfiguracao().todas_paginas;
  PeriodoNumerado* dono = &periodos_.back();
  bool numerada = false;
  switch (tipo) {
    case TnPaginaLivro::Corpo:
      if (EmFrente() && DeveTrocarLivro()) NovoLivro();
      numerada = todas || posicao_ % 2 == 0;
      aberto_ = com_corpo_ = true;
      break;
    case TnPaginaLivro::TermoAbertura:
      if (DeveTrocarLivro() || aberto_) NovoLivro();
      numerada = true;
      aberto_ = true;
      break;
    case TnPaginaLivro::VersoAbertura: numerada = todas; break;
    case TnPaginaLivro::TermoEncerramento:
      numerada = true;
      encerrado_ = true;
      // Before the first page of a period, the closing term ends the book of the previous one.
      if (dono->paginas == 0 && periodos_.size() >= 2) dono = &periodos_[periodos_.size() - 2];
      break;
    case TnPaginaLivro::ForaDoLivro: break;
  }
  if (numerada) ++folha_;
  ++posicao_;
  if (tipo != TnPaginaLivro::ForaDoLivro) {
    for (PeriodoNumerado* p : {dono, &periodos_.back()}) {
      p->livro = livro_;
      p->folha = folha_;
      p->encerrado = encerrado_;
    }
    if (dono == &periodos_.back()) ++dono->paginas;
  }
  return {livro_, folha_, numerada};
}

void TnDMControleLivro::PegarLivroFolha(int& livro, int& folha, TDateTime data) {
  Iniciar();
  const TDateTime dia = DateOf(data);
  if (periodos_.empty()) {
    IniciarPeriodo(data_inicial_, dia);
  } else if (dia > periodos_.back().fim) {
    IniciarPeriodo(periodos_.back().fim + 1, dia);
  }
  const TnFolhaLivro f = PegarFolha(TnPaginaLivro::Corpo);
  livro = f.livro;
  folha = f.folha;
}

bool TnDMControleLivro::GetExisteNumeracaoLivro() { return LerNumeracao().existe; }
bool TnDMControleLivro::GetImpressaoTodasPaginas() { return LerConfiguracao().todas_paginas; }
bool TnDMControleLivro::GetFrenteVerso() { return LerConfiguracao().frente_verso; }
int TnDMControleLivro::GetLimiteFolhas() { return LerConfiguracao().limite_folhas; }
std::string TnDMControleLivro::GetLegendaFolha() { return LerConfiguracao().legenda; }

void TnDMControleLivro::VerificarPeriodosRegistrados(TDateTime inicio, TDateTime fim) {
  inicio = DateOf(inicio);
  fim = std::max(DateOf(fim), inicio);
  SQLDataSetPtr partidos(ExecutarSQL(
      std::string("select DATAINICIAL, DATAFINAL, NUMLIVRO, ULTIMAFOLHA from LIVROPERIODO") +
          kCondicaoLivro +
          " and ((DATAINICIAL < :inicio and DATAFINAL >= :inicio2)"
          " or (DATAINICIAL <= :fim and DATAFINAL > :fim2)) order by DATAINICIAL",
      VarArrayOf({Variant(empresa_), Variant(estab_), Variant(tipo_), Variant::FromDate(inicio),
                  Variant::FromDate(inicio), Variant::FromDate(fim), Variant::FromDate(fim)}),
      true, false, -1, "", &Conexao(), true));
  if (partidos->IsEmpty()) return;
  TDateTime de = inicio, ate = fim;
  for (partidos->First(); !partidos->GetEof(); partidos->Next()) {
    de = std::min(de, DateOf(partidos->Fields(0)->AsDateTime()));
    ate = std::max(ate, DateOf(partidos->Fields(1)->AsDateTime()));
  }
  partidos->First();
  throw Exception(
      "O período de " + Dia(partidos->Fields(0)->AsDateTime()) + " a " +
      Dia(partidos->Fields(1)->AsDateTime()) + " já está registrado no controle de livros (livro " +
      partidos->Fields(2)->AsString() + ", até a folha " + partidos->Fields(3)->AsString() +
      ") e não pode ser reimpresso em parte, pois a numeração das páginas registradas "
      "se perderia. Imprima de " +
      Dia(de) + " a " + Dia(ate) + ".");
}

void TnDMControleLivro::VerificarPeriodosPosteriores() {
  Iniciar();
  if (periodos_.empty()) return;
  const PeriodoNumerado& ultimo = periodos_.back();
  VerificarPosteriores(Conexao(), periodos_.front().inicio, ultimo.fim, ultimo.livro, ultimo.folha,
                       ultimo.encerrado);
}

// The first period recorded after `fim` was numbered from an origin. A starting point dated
// on or after `fim`, at or after these pages' last one, makes it independent of them (book 1
// at page 0, implanted by default, does not); otherwise it must be the period ending on `fim`
// with the book, page and closing state these pages reach, or recording them would give a
// page two numbers (or leave a gap).
void TnDMControleLivro::VerificarPosteriores(TnConexao& conexao, TDateTime inicio, TDateTime fim,
                                             int livro, int folha, bool encerrado) {
  SQLDataSetPtr seguinte(
      ExecutarSQL(std::string("select DATAINICIAL, DATAFINAL, NUMLIVRO from LIVROPERIODO") +
                      kCondicaoLivro + " and DATAINICIAL > :fim order by DATAINICIAL",
                  Chave(empresa_, estab_, tipo_, fim), true, false, 1, "", &conexao, true));
  if (seguinte->IsEmpty()) return;
  const TDateTime inicio_seguinte = DateOf(seguinte->Fields(0)->AsDateTime());
  Origem o;
  LerOrigem(conexao, empresa_, estab_, tipo_, inicio_seguinte, &o);
  if (o.existe && o.implantada && o.data >= fim &&
      (o.livro > livro || (o.livro == livro && o.folha >= folha && !encerrado))) {
    return;
  }
  if (o.existe && !o.implantada && o.data == fim && o.livro == livro && o.folha == folha &&
      o.encerrado == encerrado) {
    return;
  }
  SQLDataSetPtr ultimo(
      ExecutarSQL(std::string("select max(DATAFINAL) from LIVROPERIODO") + kCondicaoLivro,
                  VarArrayOf({Variant(empresa_), Variant(estab_), Variant(tipo_)}), true, false, 1,
                  "", &conexao, true));
  const std::string antes = o.existe
                                ? "a partir do livro " + IntToStr(o.livro) + ", folha " +
                                      IntToStr(o.folha) + (o.encerrado ? " (livro encerrado)" : "")
                                : "a partir do livro 1, folha 0";
  throw Exception(
      "Não é possível imprimir de " + Dia(inicio) + " a " + Dia(fim) +
      " sem repetir ou saltar folhas: o período seguinte já registrado no controle de livros, de " +
      Dia(inicio_seguinte) + " a " + Dia(seguinte->Fields(1)->AsDateTime()) + " (livro " +
      seguinte->Fields(2)->AsString() + "), foi numerado " + antes +
      ", e esta impressão termina no livro " + IntToStr(livro) + ", folha " + IntToStr(folha) +
      (encerrado ? " (livro encerrado)" : "") + ". Imprima de " + Dia(inicio) + " a " +
      Dia(ultimo->Fields(0)->AsDateTime()) + " para manter a numeração.");
}

void TnDMControleLivro::InserirPeriodoBanco(bool /*com_termos*/) {
  Iniciar();
  const Origem inicial = LerNumeracao();

  // The rows to record: one per period begun, covering the bound span without a gap.
  struct Linha {
    TDateTime inicio, fim;
    int livro, folha;
    bool encerrado;
  };
  std::vector<Linha> linhas;
  TDateTime inicio = data_inicial_;
  for (const PeriodoNumerado& p : periodos_) {
    const TDateTime fim = std::max(p.fim, inicio);
    linhas.push_back({inicio, fim, p.livro, p.folha, p.encerrado});
    inicio = fim + 1;
  }
  if (linhas.empty()) {
    linhas.push_back(
        {data_inicial_, std::max(data_final_, data_inicial_), livro_, folha_, encerrado_});
  } else {
    linhas.back().fim = std::max(linhas.back().fim, data_final_);
  }
  const Linha& ultima = linhas.back();

  TnConexao& conexao = Conexao();
  std::unique_ptr<TnTransacao> transacao;
  try {
    transacao = std::make_unique<TnTransacao>(conexao, true);
  } catch (const Exception& e) {
    throw Exception(
        "O controle de livros está em uso por outra impressão; tente novamente "
        "quando ela terminar. (" +
        e.Message() + ")");
  }

  try {
    Origem atual;
    LerOrigem(conexao, empresa_, estab_, tipo_, data_inicial_, &atual);
    if (!atual.Igual(inicial)) {
      throw Exception(
          "A numeração do livro foi alterada por outra impressão durante esta; "
          "imprima o período novamente.");
    }
    VerificarPeriodosRegistrados(data_inicial_, ultima.fim);
    VerificarPosteriores(conexao, data_inicial_, ultima.fim, ultima.livro, ultima.folha,
                         ultima.encerrado);
    conexao.ExecutarComando(
        std::string("delete from LIVROPERIODO") + kCondicaoLivro +
            " and DATAINICIAL <= :fim and DATAFINAL >= :inicio",
        VarArrayOf({Variant(empresa_), Variant(estab_), Variant(tipo_),
                    Variant::FromDate(ultima.fim), Variant::FromDate(data_inicial_)}));
    const Variant impresso = Variant::FromDate(Now());
    for (const Linha& l : linhas) {
      conexao.ExecutarComando(
          "insert into LIVROPERIODO (CODIGOEMPRESA, CODIGOESTAB, TIPOLIVRO, DATAINICIAL, "
          "DATAFINAL, NUMLIVRO, ULTIMAFOLHA, COMTERMOS, DATAIMPRESSAO) values (:empresa, "
          ":estab, :tipo, :inicio, :fim, :livro, :folha, :termos, :impresso)",
          VarArrayOf({Variant(empresa_), Variant(estab_), Variant(tipo_),
                      Variant::FromDate(l.inicio), Variant::FromDate(l.fim), Variant(l.livro),
                      Variant(l.folha), Variant(l.encerrado ? 1 : 0), impresso}));
    }
    if (!atual.existe) {
      conexao.ExecutarComando(
          "insert into LIVRONUMERACAO (CODIGOEMPRESA, CODIGOESTAB, TIPOLIVRO, DATAIMPLANTACAO, "
          "NUMLIVRO, ULTIMAFOLHA) values (:empresa, :estab, :tipo, :data, 1, 0)",
          Chave(empresa_, estab_, tipo_, data_inicial_));
    }
  } catch (const Exception& e) {
    throw Exception("Não foi possível registrar o período no controle de livros: " + e.Message());
  }

  if (TnPublicacaoLivro* publicacao = TnPublicacaoLivro::Atual()) {
    publicacao->Adotar(std::move(transacao));
  } else {
    transacao->Confirmar();
  }
}

std::unique_ptr<TnDMControleLivro> CriarControleLivro() {
  return std::make_unique<TnDMControleLivro>();
}
