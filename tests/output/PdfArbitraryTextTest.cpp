// Arbitrary bytes through the PDF writer's text path (invalid UTF-8, control characters,
// characters the font lacks) give documents that qpdf accepts: the seed inputs of the PDF text
// fuzzer and a sample of random ones.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>

#include "fuzz/PdfTextInput.h"
#include "output/OutputTestSupport.h"

namespace stock {
namespace {

std::vector<std::string> SampleInputs() {
  std::vector<std::string> inputs;
  const char* source = std::getenv("STOCK_SOURCE_DIR");
  if (source != nullptr) {
    const std::filesystem::path seeds =
        std::filesystem::path(source) / "fuzz/corpus/pdf_text_fuzzer";
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(seeds, ec)) {
      std::ifstream in(entry.path(), std::ios::binary);
      inputs.emplace_back(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
  }
  std::mt19937 rng(1502);
  for (int i = 0; i < 24; ++i) {
    std::string bytes;
    const size_t length = 2 + rng() % 300;
    for (size_t k = 0; k < length; ++k) {
      // Mostly bytes of multi-byte sequences, often cut short or out of place.
      const unsigned r = rng() % 8;
      bytes += static_cast<char>(r < 4   ? 0x80 + rng() % 0x80
                                 : r < 6 ? rng() % 0x80
                                         : rng() % 0x100);
    }
    inputs.push_back(bytes);
  }
  return inputs;
}

TEST(PdfArbitraryText, EveryDocumentPassesQpdf) {
  if (!testing::HaveProgram("qpdf")) GTEST_SKIP() << "qpdf not installed";
  testing::ScratchDir dir;
  const std::vector<std::string> inputs = SampleInputs();
  ASSERT_GE(inputs.size(), 29u) << "the seed inputs were not found";
  for (size_t i = 0; i < inputs.size(); ++i) {
    SCOPED_TRACE(i);
    const std::string path = dir.File("texto-" + std::to_string(i) + ".pdf");
    const std::string& input = inputs[i];
    ASSERT_TRUE(fuzz::WriteTextDocument(reinterpret_cast<const uint8_t*>(input.data()),
                                        input.size(), path));
    int status = -1;
    const std::string report = testing::RunCommand("qpdf --check '" + path + "' 2>&1", &status);
    EXPECT_EQ(status, 0) << report;
  }
}

}  // namespace
}  // namespace stock
