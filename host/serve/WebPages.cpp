#include "host/serve/WebPages.h"

#include "serve/AppScript.h"
#include "serve/AppStyle.h"

#include <algorithm>

#include "rtl/StringUtils.h"

namespace stock::serve {

namespace {

std::string Page(const std::string& title, const std::string& body, const std::string& meta = {}) {
  return "<!DOCTYPE html>\n<html lang=\"pt-BR\"><head><meta charset=\"utf-8\">"
         "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">" +
         meta + "<title>" + EscapeHtml(title) +
         "</title><link rel=\"stylesheet\" href=\"/app.css\"></head>\n<body>" + body +
         "</body></html>\n";
}

}  // namespace

std::string EscapeHtml(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      case '\'': out += "&#39;"; break;
      default: out += c;
    }
  }
  return out;
}

std::string DisplayTitle(const std::string& title) {
  const std::string lower = AnsiLowerCase(title);
  const std::string upper = AnsiUpperCase(title);
  // The first letter (one or two bytes in UTF-8) up, the rest down.
  const size_t first = lower.empty() ? 0 : (static_cast<unsigned char>(lower[0]) < 0x80 ? 1 : 2);
  return upper.substr(0, first) + lower.substr(std::min(first, lower.size()));
}

std::string ListPage(const std::vector<ReportEntry>& reports) {
  std::string body = "<header><h1>Relatórios do inventário de estoque</h1></header><main>";
  if (reports.empty()) body += "<p class=\"aviso\">Nenhum relatório encontrado.</p>";
  body += "<ul class=\"relatorios\">";
  for (const ReportEntry& r : reports) {
    body += "<li><a href=\"/relatorio/" + EscapeHtml(r.name) + "\" id=\"rel-" + EscapeHtml(r.name) +
            "\">" + EscapeHtml(DisplayTitle(r.title)) + "</a><p>" + EscapeHtml(r.description) +
            "</p></li>";
  }
  body += "</ul></main>";
  return Page("Relatórios do inventário", body);
}

std::string ScreenPage(const ReportEntry& report, const std::string& token) {
  const std::string meta = "<meta name=\"relatorio\" content=\"" + EscapeHtml(report.name) +
                           "\"><meta name=\"token\" content=\"" + EscapeHtml(token) +
                           "\"><script src=\"/app.js\" defer></script>";
  std::string body =
      "<header><a href=\"/\" class=\"voltar\">&larr; Relatórios</a><h1>" +
      EscapeHtml(DisplayTitle(report.title)) + "</h1><p>" + EscapeHtml(report.description) +
      "</p></header><main>"
      "<form id=\"parametros\" novalidate><p id=\"legenda\" class=\"dica\" hidden>Campos marcados "
      "com * são obrigatórios.</p>"
      "<div id=\"campos\"><p>Carregando...</p></div>"
      "<div class=\"acoes\"><button type=\"submit\" id=\"imprimir\" disabled>Imprimir</button>"
      "<span id=\"aviso-campos\" class=\"dica\" role=\"status\"></span></div>"
      "<p id=\"aviso-texto\" class=\"aviso\"></p></form>"
      "<section id=\"impressao\" hidden><h2>Impressão</h2>"
      "<p id=\"situacao\" role=\"status\"></p><progress id=\"progresso\" max=\"1\" "
      "value=\"0\"></progress>"
      "<p id=\"contagem\" class=\"dica\"></p>"
      "<button type=\"button\" id=\"parar\" hidden>Parar</button>"
      "<div id=\"erro-impressao\" class=\"erro\" hidden></div>"
      "<ul id=\"mensagens\"></ul>"
      "<div id=\"resultado\" hidden><p class=\"pdf\"><a id=\"abrir\" class=\"botao\" href=\"#\" "
      "target=\"_blank\" "
      "rel=\"noopener\">Abrir o PDF</a> <a id=\"baixar\" href=\"#\" download>Baixar</a> "
      "<span id=\"arquivo\" class=\"dica\"></span></p>"
      "<button type=\"button\" id=\"ver-previa\" class=\"secundario\">Ver a prévia das "
      "páginas</button>"
      "<div id=\"previas\" hidden><nav class=\"paginas\"><button type=\"button\" "
      "id=\"anterior\">&larr;</button>"
      "<span id=\"pagina-atual\"></span><button type=\"button\" "
      "id=\"proxima\">&rarr;</button></nav>"
      "<img id=\"previa\" alt=\"Prévia da página\"></div></div></section>"
      "<dialog id=\"pergunta\"><p id=\"pergunta-texto\"></p><div "
      "id=\"pergunta-botoes\"></div></dialog>"
      "</main>";
  return Page(DisplayTitle(report.title), body, meta);
}

std::string MessagePage(const std::string& heading, const std::string& text) {
  return Page(heading, "<header><a href=\"/\" class=\"voltar\">&larr; Relatórios</a><h1>" +
                           EscapeHtml(heading) + "</h1></header><main><p class=\"erro\">" +
                           EscapeHtml(text) + "</p></main>");
}

const std::string& ScriptText() {
  static const std::string text = kAppScript;
  return text;
}

const std::string& StyleText() {
  static const std::string text = kAppStyle;
  return text;
}

}  // namespace stock::serve
