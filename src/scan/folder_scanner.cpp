#include "scan/folder_scanner.h"

#include "app/program_state.h"
#include "scan/result_list.h"
#include "scan/scan_counters.h"

void ScanFolder(ProgramState &, ResultList &, ScanCounters &, int &, const QString &,
                const QString &, const ScanHooks &)
{
}
