#pragma once
// TnDMReport: a report definition opened as a data module: its report object with parameters,
// labels and main query. Created by CriarDMNovo(<definition name>); owned by the caller.

#include <memory>
#include <string>

#include "reportkit/Report.h"
#include "reportkit/ReportDefinition.h"
#include "rtl/TObject.h"

class TnDMReport : public TObject {
 public:
  explicit TnDMReport(std::shared_ptr<const stock::ReportDefinition> definition);
  ~TnDMReport() override;

  // The report object; owned by this module, valid for its whole life.
  TnrwReport* GetReport() const { return report_.get(); }
  const stock::ReportDefinition& Definition() const { return report_->Definition(); }

 private:
  std::unique_ptr<TnrwReport> report_;
};

namespace stock {

// Folders where definitions (<name>.json) and plug-ins (<name>.so) are found. Defaults: the
// environment variables STOCK_DEFINITION_DIR and STOCK_PLUGIN_DIR, else "definitions" and
// "plugins". The host sets them at start-up.
void SetDefinitionDirectory(const std::string& dir);
std::string DefinitionDirectory();
void SetPluginDirectory(const std::string& dir);
std::string PluginDirectory();

// Path of the definition file of `name`. Raises Exception for a name that is not a plain
// identifier (no path separators).
std::string DefinitionPath(const std::string& name);

// Reads the definition `name` from the definition folder and opens it as a module. Raises
// Exception naming the file when it is missing or broken.
std::unique_ptr<TnDMReport> OpenReportModule(const std::string& name);

}  // namespace stock
