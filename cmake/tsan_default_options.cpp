// Linked into every target of a ThreadSanitizer build. ThreadSanitizer reads
// these options before TSAN_OPTIONS, which may still override them.
//
// The system libraries (glib, libvips, the image codecs) are not
// instrumented, and glib's locks call futex directly, so ThreadSanitizer
// cannot see them: without this option it flags nearly every buffer those
// libraries share as a race, and its search through the ever-growing list of
// such reports slows image work until pages time out. The option only skips
// accesses uninstrumented libraries make through the sanitizer's
// interceptors; everything our own code does is still checked.
extern "C" const char* __tsan_default_options() { return "ignore_noninstrumented_modules=1"; }
