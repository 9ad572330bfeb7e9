#include "reportkit/PowerQuery.h"

TnpqPowerQuery::TnpqPowerQuery() = default;
TnpqPowerQuery::~TnpqPowerQuery() = default;
