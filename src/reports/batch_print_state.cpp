#include "reports/batch_print_state.h"

BatchPrintState g_BatchPrint;

void ResetBatchPrint() { g_BatchPrint = BatchPrintState{}; }
