#include "host/serve/RunFolder.h"

#include <stdlib.h>

#include <cerrno>
#include <string>

#include "reportkit/output/TempFile.h"
#include "rtl/Exception.h"

namespace stock::serve {

RunFolder::RunFolder() {
  std::error_code ec;
  std::filesystem::path base = std::filesystem::temp_directory_path(ec);
  if (ec) base = "/tmp";
  std::string pattern = (base / "stockreports-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) {  // mkdtemp creates it with mode 0700
    throw Exception("Não foi possível criar a pasta temporária da impressão em '" + base.string() +
                    "': " + FileErrorText(errno));
  }
  path_ = pattern;
}

RunFolder::~RunFolder() {
  std::error_code ec;
  std::filesystem::remove_all(path_, ec);
}

}  // namespace stock::serve
