// Linked into the test programs that show dialogs with Qt. The QApplication the presenter makes lives
// as long as the process, and fontconfig keeps its caches until exit; LeakSanitizer is told to leave
// those to the library that owns them. Harmless without the sanitizer.
extern "C" __attribute__((visibility("default"), used)) const char *__lsan_default_suppressions() {
  return "leak:libfontconfig.so\n";
}
