#include "host/serve/EfdScreen.h"

#include <httplib.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "basekit/Conexao.h"
#include "efdkit/BlocoHExport.h"
#include "efdkit/EfdText.h"
#include "host/Commands.h"
#include "host/ReportParameters.h"
#include "host/serve/WebPages.h"
#include "rtl/Exception.h"

namespace stock::serve {

namespace {

std::string FormPage(const std::vector<std::pair<std::string, std::string>>& values,
                     const std::string& error, const std::string& token) {
  const ReportDefinition& d = host::EfdDefinition();
  std::string body = "<header><a href=\"/\" class=\"voltar\">&larr; Relatórios</a><h1>" +
                     EscapeHtml(d.title) + "</h1></header><main>";
  if (!error.empty()) body += "<div class=\"erro\" id=\"erro-efd\">" + EscapeHtml(error) + "</div>";
  body +=
      "<form method=\"post\" action=\"/efd/arquivo\" id=\"efd\">"
      "<input type=\"hidden\" name=\"token\" value=\"" +
      EscapeHtml(token) + "\">";
  for (const ParamDef& p : d.params) {
    std::string value = p.default_value;
    for (const auto& [name, v] : values)
      if (name == p.name) value = v;
    body += "<p><label for=\"" + p.name + "\">" + EscapeHtml(p.caption) + (p.required ? " *" : "") +
            "</label><br><input id=\"" + p.name + "\" name=\"" + p.name + "\" value=\"" +
            EscapeHtml(value) + "\"" + (p.required ? " required" : "") + "></p>";
  }
  body +=
      "<div class=\"acoes\"><button type=\"submit\" id=\"gerar\">Gerar o "
      "arquivo</button></div></form></main>";
  return "<!DOCTYPE html>\n<html lang=\"pt-BR\"><head><meta charset=\"utf-8\"><title>" +
         EscapeHtml(d.title) +
         "</title><link rel=\"stylesheet\" href=\"/app.css\"></head>\n<body data-pronta=\"1\">" +
         body + "</body></html>\n";
}

// Removes the folder of one export when the request is done with it.
struct ScratchFolder {
  std::string path;
  ScratchFolder() {
    char pattern[] = "/tmp/stockreports-efd-XXXXXX";
    if (mkdtemp(pattern) == nullptr)
      throw Exception("Não foi possível criar uma pasta temporária.");
    path = pattern;
  }
  ~ScratchFolder() {
    std::error_code ec;
    std::filesystem::remove_all(path, ec);
  }
};

// The form posts to this server: the policy of the other pages, with form-action 'self'.
void SendForm(httplib::Response& res, const std::string& page) {
  res.headers.erase("Content-Security-Policy");
  res.set_header("Content-Security-Policy",
                 "default-src 'none'; style-src 'self'; frame-ancestors 'none'; base-uri 'none'; "
                 "form-action 'self'");
  res.set_content(page, "text/html; charset=utf-8");
}

}  // namespace

ReportEntry EfdEntry() {
  return {"efd", host::EfdDefinition().title,
          "O inventário de um estabelecimento numa data, como arquivo da EFD ICMS/IPI (blocos 0, H "
          "e 9), para baixar."};
}

void AddEfdScreen(httplib::Server& http, const std::string& database, const std::string& token) {
  http.Get("/relatorio/efd", [token](const httplib::Request&, httplib::Response& res) {
    SendForm(res, FormPage({}, "", token));
  });
  http.Post("/efd/arquivo", [database, token](const httplib::Request& req, httplib::Response& res) {
    // Only this server's own form asks for a file: the page's token comes with it.
    const std::string sent = req.get_param_value("token");
    if (sent.size() != token.size() || sent != token) {
      res.status = 403;
      SendForm(res, MessagePage("Formulário expirado",
                                "Token da página inválido: recarregue a página."));
      return;
    }
    std::vector<std::string> params;
    std::vector<std::pair<std::string, std::string>> values;
    for (const ParamDef& p : host::EfdDefinition().params) {
      if (!req.has_param(p.name)) continue;
      const std::string value = req.get_param_value(p.name);
      values.emplace_back(p.name, value);
      if (!value.empty() || p.name == "pPeriodo") params.push_back(p.name + "=" + value);
    }
    try {
      efd::ExportRequest request = host::MakeEfdRequest(params);
      ScratchFolder scratch;
      request.out = scratch.path + "/efd.txt";
      {
        TnConexao db(database, TnModoAbertura::SomenteLeitura);
        efd::ExportBlocoH(db, request);
      }
      std::ifstream in(request.out, std::ios::binary);
      std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
      const std::string name = "efd-bloco-h-" + std::to_string(request.company) + "-" +
                               std::to_string(request.estab) + "-" + efd::EfdDate(request.date) +
                               ".txt";
      res.set_header("Content-Disposition", "attachment; filename=\"" + name + "\"");
      res.set_content(std::move(bytes), "text/plain; charset=ISO-8859-1");
    } catch (const std::exception& e) {
      res.status = 400;
      SendForm(res, FormPage(values, e.what(), token));
    }
  });
}

}  // namespace stock::serve
