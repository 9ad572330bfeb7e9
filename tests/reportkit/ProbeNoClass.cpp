// A plug-in whose start-up statement is missing: FClassDll stays nil.
#include "frame/nrwBaseDllReg.h"
