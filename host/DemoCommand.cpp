#include <filesystem>
#include <iostream>

#include "demo/DemoDatabase.h"
#include "host/Commands.h"
#include "rtl/Exception.h"

namespace stock::host {

int RunDemo(const DemoArgs& args) {
  if (!args.force && std::filesystem::exists(args.db)) {
    std::cerr << "Erro: o arquivo '" << args.db << "' já existe; o banco de demonstração não foi "
              << "gravado. Use --force para substituí-lo.\n";
    return kError;
  }
  DemoOptions options;
  options.products = args.products;
  options.months = args.months;
  options.year = args.year;
  options.seed = args.seed;
  options.overwrite = args.force;
  try {
    const DemoSummary s = CreateDemoDatabase(args.db, options);
    std::cout << args.db << ": " << s.companies << " empresas, " << s.establishments
              << " estabelecimentos, " << s.productGroups << " grupos, " << s.products
              << " produtos, " << s.inventoryLines << " linhas de inventário\n";
    return kOk;
  } catch (const Exception& e) {
    std::cerr << "Erro: " << e.what() << "\n";
    return kError;
  }
}

}  // namespace stock::host
