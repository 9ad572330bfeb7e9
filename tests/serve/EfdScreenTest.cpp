// The EFD screen of `serve`: its form shows the parameters of `efd`, the file it offers is
// the one the command writes, and a wrong value comes back on the form, named.

#include <gtest/gtest.h>
#include <httplib.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>

#include "basekit/Conexao.h"
#include "demo/DemoDatabase.h"
#include "efdkit/BlocoHExport.h"
#include "host/serve/EfdScreen.h"

namespace {

namespace fs = std::filesystem;

TEST(EfdScreen, OffersTheFileForDownload) {
  const fs::path dir = fs::temp_directory_path() / ("efd-screen-" + std::to_string(getpid()));
  fs::create_directories(dir);
  const std::string db = (dir / "demo.db").string();
  DemoOptions options;
  options.products = 60;
  CreateDemoDatabase(db, options);

  httplib::Server server;
  stock::serve::AddEfdScreen(server, db, "0123abcd");
  const int port = server.bind_to_any_port("127.0.0.1");
  std::thread listener([&] { server.listen_after_bind(); });
  httplib::Client client("127.0.0.1", port);

  auto form = client.Get("/relatorio/efd");
  ASSERT_TRUE(form);
  EXPECT_EQ(form->status, 200);
  EXPECT_NE(form->body.find("name=\"pDataInventario\""), std::string::npos);
  EXPECT_NE(form->get_header_value("Content-Security-Policy").find("form-action 'self'"),
            std::string::npos);

  EXPECT_NE(form->body.find("name=\"token\" value=\"0123abcd\""), std::string::npos);

  // Without the page's token (a form on another site) no file is given.
  auto forged =
      client.Post("/efd/arquivo", "pCodigoEmpresa=1&pCodigoEstab=1&pDataInventario=31%2F12%2F2026",
                  "application/x-www-form-urlencoded");
  ASSERT_TRUE(forged);
  EXPECT_EQ(forged->status, 403);
  EXPECT_EQ(forged->body.find("H010"), std::string::npos);

  auto file = client.Post(
      "/efd/arquivo",
      "token=0123abcd&pCodigoEmpresa=1&pCodigoEstab=1&pDataInventario=31%2F12%2F2026&pPeriodo=",
      "application/x-www-form-urlencoded");
  ASSERT_TRUE(file);
  EXPECT_EQ(file->status, 200);
  EXPECT_EQ(file->get_header_value("Content-Disposition"),
            "attachment; filename=\"efd-bloco-h-1-1-31122026.txt\"");
  stock::efd::ExportRequest request;
  request.company = request.estab = 1;
  request.date = "2026-12-31";
  request.out = (dir / "efd.txt").string();
  {
    TnConexao connection(db, TnModoAbertura::SomenteLeitura);
    stock::efd::ExportBlocoH(connection, request);
  }
  std::ifstream in(request.out, std::ios::binary);
  EXPECT_EQ(file->body,
            std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>()));

  auto wrong =
      client.Post("/efd/arquivo",
                  "token=0123abcd&pCodigoEmpresa=1&pCodigoEstab=1&pDataInventario=31%2F13%2F2026",
                  "application/x-www-form-urlencoded");
  ASSERT_TRUE(wrong);
  EXPECT_EQ(wrong->status, 400);
  EXPECT_NE(wrong->body.find("pDataInventario"), std::string::npos) << wrong->body;
  EXPECT_NE(wrong->body.find("value=\"31/13/2026\""), std::string::npos);  // what was typed stays

  server.stop();
  listener.join();
  fs::remove_all(dir);
}

}  // namespace
