// MemoryWorkbook and MemoryWorkbookOpener are defined in support/MemoryWorkbook.h.
