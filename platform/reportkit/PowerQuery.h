#pragma once
// TnpqPowerQuery: the parameter query of a report: its parameter collection and its page
// number. The report engine TnrwReport derives from it.

#include "reportkit/PowerParam.h"
#include "rtl/LowArena.h"
#include "rtl/TObject.h"

class TnpqPowerQuery : public TObject, public LowArenaAllocated {
 public:
  TnpqPowerQuery();
  ~TnpqPowerQuery() override;

  // The report's parameters; owned by this object, valid for its whole life.
  TnpqPowerParam* GetParams() { return &params_; }
  const TnpqPowerParam* GetParams() const { return &params_; }

  // Sets the current page number. Opening a page adds one first, so SetPageNo(0) makes the
  // next page number 1.
  void SetPageNo(int page) { page_no_ = page; }
  int GetPageNo() const { return page_no_; }

 protected:
  int page_no_ = 0;

 private:
  TnpqPowerParam params_;
};
