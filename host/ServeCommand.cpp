#include <pthread.h>

#include <csignal>
#include <filesystem>
#include <iostream>
#include <thread>

#include "basekit/Conexao.h"
#include "basekit/PgDatabase.h"
#include "host/Commands.h"
#include "host/serve/HostCheck.h"
#include "host/serve/WebServer.h"
#include "rtl/Exception.h"

namespace stock::host {

int RunServe(const ServeArgs& args) {
  // Ctrl-C and SIGTERM are taken by one thread that stops the server; every other thread,
  // started below, inherits the mask.
  sigset_t signals;
  sigemptyset(&signals);
  sigaddset(&signals, SIGINT);
  sigaddset(&signals, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &signals, nullptr);
  try {
    if (!EhServidorPostgreSQL(args.db) && !std::filesystem::exists(args.db)) {
      throw Exception("Banco de dados não encontrado: '" + args.db + "'");
    }
    SetConexaoPadrao(std::make_unique<TnConexao>(args.db, TnModoAbertura::LeituraEscrita));
    int status = kOk;
    {
      serve::WebServer server;
      const int port = server.Bind(args.bind, args.port, args.hosts);
      std::thread watcher([&] {
        int signal = 0;
        sigwait(&signals, &signal);
        server.Stop();
      });
      const std::string shown =
          args.bind.find(':') != std::string::npos ? "[" + args.bind + "]" : args.bind;
      // A server's connection text may carry a password: only a file is named.
      const std::string db = EhServidorPostgreSQL(args.db) ? "servidor PostgreSQL" : args.db;
      std::cout << "Telas de parâmetros de " << db << " em http://" << shown << ":" << port
                << "/ (Ctrl-C encerra)" << std::endl;
      if (!serve::IsLoopbackName(args.bind)) {
        std::cout << "Atenção: escutando em " << args.bind
                  << ": qualquer máquina que alcance este endereço pode abrir as telas e imprimir "
                     "a partir deste banco."
                  << std::endl;
      }
      server.Listen();
      pthread_kill(watcher.native_handle(), SIGTERM);  // when Listen ended on its own
      watcher.join();
    }
    SetConexaoPadrao(nullptr);
    std::cout << "Servidor encerrado." << std::endl;
    return status;
  } catch (const std::exception& e) {
    SetConexaoPadrao(nullptr);
    std::cerr << "Erro: " << e.what() << "\n";
    return kError;
  }
}

}  // namespace stock::host
