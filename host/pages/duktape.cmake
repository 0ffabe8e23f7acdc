# vant_duktape: the Duktape 2.7 engine the page host runs scripts on, built
# from the amalgamated source that Debian's duktape-dev installs.
#
# The packaged configuration leaves the interrupt counter and the execution
# timeout check off, so a runaway page could never be stopped. At configure
# time we copy the engine into the build tree and switch both on there; the
# check calls vant_duk_exec_timeout_check(heap_udata), defined beside it in
# duktape/interpreter_hooks.cpp. The native stack check is switched on too
# (same file). Nothing generated here is written into
# the source tree.
#
# Never link the packaged libduktape.so as well: its config differs, and
# bytecode or heaps must not cross between the two builds.

set(VANT_DUKTAPE_SOURCE_DIR "/usr/share/duktape" CACHE PATH
    "Folder holding duktape.c, duktape.h and duk_config.h (Debian: duktape-dev)")
set(vant_duk_out "${CMAKE_BINARY_DIR}/duktape")

foreach(name duktape.c duktape.h duk_config.h)
  if(NOT EXISTS "${VANT_DUKTAPE_SOURCE_DIR}/${name}")
    message(FATAL_ERROR
      "Duktape source ${VANT_DUKTAPE_SOURCE_DIR}/${name} is missing; "
      "install it with: apt-get install -y duktape-dev")
  endif()
endforeach()

file(READ "${VANT_DUKTAPE_SOURCE_DIR}/duktape.h" vant_duk_header)
if(NOT vant_duk_header MATCHES "#define DUK_VERSION[ \t]+20700L")
  message(FATAL_ERROR "vant-host needs Duktape 2.7 in ${VANT_DUKTAPE_SOURCE_DIR}")
endif()

# vant_duk_replace(VAR FROM TO WHAT): replaces the text FROM with TO in the
# text held in VAR; stops configuring when FROM is missing, so a changed
# upstream engine never builds silently without one of the host's changes.
function(vant_duk_replace var from to what)
  string(FIND "${${var}}" "${from}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "${what} is missing; cannot change it")
  endif()
  string(REPLACE "${from}" "${to}" edited "${${var}}")
  set(${var} "${edited}" PARENT_SCOPE)
endfunction()

# vant_duk_config_switch(VAR FROM TO): replaces the one line FROM with TO in
# the config text held in VAR (the timeout check among them).
function(vant_duk_config_switch var from to)
  vant_duk_replace(${var} "${from}\n" "${to}\n" "duk_config.h line '${from}'")
  set(${var} "${${var}}" PARENT_SCOPE)
endfunction()

file(READ "${VANT_DUKTAPE_SOURCE_DIR}/duk_config.h" vant_duk_config)
vant_duk_config_switch(vant_duk_config
  "#undef DUK_USE_INTERRUPT_COUNTER"
  "#define DUK_USE_INTERRUPT_COUNTER")
# Built as C++ with C++ exceptions for its errors, so an error raised while
# a native binding function holds objects unwinds through their destructors
# (a longjmp would skip them and leak references).
vant_duk_config_switch(vant_duk_config
  "#undef DUK_USE_CPP_EXCEPTIONS"
  "#define DUK_USE_CPP_EXCEPTIONS")
# Built-in functions (Math.max, String.prototype.slice...) as light
# functions: plain tagged values instead of one heap object each with its
# own name and length properties. A fresh heap per request builds every
# built-in again, and these were most of that work. Scripts see the
# difference only in such a function's name and in adding properties to it.
vant_duk_config_switch(vant_duk_config
  "#undef DUK_USE_LIGHTFUNC_BUILTINS"
  "#define DUK_USE_LIGHTFUNC_BUILTINS")
vant_duk_config_switch(vant_duk_config
  "#undef DUK_USE_EXEC_TIMEOUT_CHECK"
  "#define DUK_USE_EXEC_TIMEOUT_CHECK(udata) vant_duk_exec_timeout_check(udata)")
# Deep recursion (calls through native functions, regular expressions, JSON,
# a page that executes pages) stops with a RangeError once the thread's
# stack runs low, whatever the engine's own depth counters say: several
# heaps may nest on one thread, each with counters of its own. The compiler
# has no such check, so its depth limit is lowered until its deepest
# recursion (about 450 KB of stack) fits the reserve the check keeps. The
# macro is expanded where `thr` is in scope: while the engine completes an
# error (the page host's hook describes it), the check allows a little more,
# or the error about the stack could never be made.
vant_duk_config_switch(vant_duk_config
  "#undef DUK_USE_NATIVE_STACK_CHECK"
  "#define DUK_USE_NATIVE_STACK_CHECK() vant_duk_native_stack_check(thr->heap->augmenting_error)")
vant_duk_config_switch(vant_duk_config
  "#define DUK_USE_COMPILER_RECLIMIT 2500"
  "#define DUK_USE_COMPILER_RECLIMIT 1000")
# Date texts as classic JScript pages know them (duktape/date_text_hook.cpp):
# Date.parse reads "1/2/2024 10:30 PM", "January 1, 2030", toString's own
# output; every string form but toISOString is JScript's.
vant_duk_config_switch(vant_duk_config
  "#undef DUK_USE_DATE_PARSE_STRING"
  "#define DUK_USE_DATE_PARSE_STRING(ctx,str) vant_duk_parse_date((ctx), (str))")
vant_duk_config_switch(vant_duk_config
  "#undef DUK_USE_DATE_FORMAT_STRING"
  "#define DUK_USE_DATE_FORMAT_STRING(ctx,parts,tzoffset,flags) vant_duk_format_date((ctx), (parts), (tzoffset), (flags))")
# The hook is declared where duk_bool_t is already known: just before the
# config's closing guard, which is the file's last #endif.
set(vant_duk_hook_decl [=[
/* vant-host: called every few hundred thousand bytecode instructions with the
 * heap's user data; a non-zero result aborts the running script with an
 * uncatchable RangeError. Defined by the page host's script engine. */
/* vant-host: non-zero when the calling thread's stack is nearly used up; the
 * engine then throws a RangeError instead of recursing further. */
/* vant-host: the date text reader and writer (see DUK_USE_DATE_PARSE_STRING
 * and DUK_USE_DATE_FORMAT_STRING above). */
/* vant-host: finalizes the host's native objects without a script call
 * (duktape/native_finalizer.h); non-zero when it did. */
/* vant-host: coerces the host's proxies to primitives without a script call
 * (duktape/native_proxy.h); non-zero when it did. */
#if defined(__cplusplus)
extern "C" duk_bool_t vant_duk_exec_timeout_check(void *udata);
extern "C" duk_bool_t vant_duk_native_stack_check(duk_small_uint_t completing_error);
extern "C" duk_bool_t vant_duk_parse_date(struct duk_hthread *ctx, const char *str);
extern "C" duk_bool_t vant_duk_format_date(struct duk_hthread *ctx, duk_int_t *parts, duk_int_t tzoffset, duk_small_uint_t flags);
extern "C" duk_bool_t vant_duk_native_finalize(struct duk_heap *heap, struct duk_hobject *obj);
extern "C" duk_bool_t vant_duk_coerce_native(struct duk_hthread *thr, duk_idx_t idx, duk_int_t hint);
#else
extern duk_bool_t vant_duk_exec_timeout_check(void *udata);
extern duk_bool_t vant_duk_native_stack_check(duk_small_uint_t completing_error);
extern duk_bool_t vant_duk_parse_date(struct duk_hthread *ctx, const char *str);
extern duk_bool_t vant_duk_format_date(struct duk_hthread *ctx, duk_int_t *parts, duk_int_t tzoffset, duk_small_uint_t flags);
extern duk_bool_t vant_duk_native_finalize(struct duk_heap *heap, struct duk_hobject *obj);
extern duk_bool_t vant_duk_coerce_native(struct duk_hthread *thr, duk_idx_t idx, duk_int_t hint);
#endif

]=])
string(FIND "${vant_duk_config}" "#endif  /* DUK_CONFIG_H_INCLUDED */" vant_duk_guard REVERSE)
if(vant_duk_guard EQUAL -1)
  message(FATAL_ERROR "duk_config.h has no closing include guard")
endif()
string(SUBSTRING "${vant_duk_config}" 0 ${vant_duk_guard} vant_duk_head)
string(SUBSTRING "${vant_duk_config}" ${vant_duk_guard} -1 vant_duk_tail)

# Written through configure_file so an unchanged config keeps its timestamp
# and the (slow) engine object is not rebuilt on every configure.
file(WRITE "${vant_duk_out}/duk_config.h.in" "${vant_duk_head}${vant_duk_hook_decl}${vant_duk_tail}")
configure_file("${vant_duk_out}/duk_config.h.in" "${vant_duk_out}/duk_config.h" COPYONLY)
# duktape.c includes "duktape.h" from its own folder, which includes
# "duk_config.h" from there: all three must sit together in the build tree.
configure_file("${VANT_DUKTAPE_SOURCE_DIR}/duktape.h" "${vant_duk_out}/duktape.h" COPYONLY)
file(READ "${VANT_DUKTAPE_SOURCE_DIR}/duktape.c" vant_duk_source)
# vant_duk_hook(FROM TO WHAT): vant_duk_replace on the engine's source.
function(vant_duk_hook from to what)
  vant_duk_replace(vant_duk_source "${from}" "${to}" "duktape.c's ${what}")
  set(vant_duk_source "${vant_duk_source}" PARENT_SCOPE)
endfunction()
# `typeof` of a callable Proxy is "object": automation objects are Proxies
# over a native function (so `Request("a")` calls the default member), yet
# pages test them with `typeof x == "object"` as the classic engine reports
# them. Pages have no other use for callable Proxies.
set(vant_duk_typeof_from "\t\tif (DUK_HOBJECT_IS_CALLABLE(obj)) {\n\t\t\tstridx = DUK_STRIDX_LC_FUNCTION;")
set(vant_duk_typeof_to "\t\tif (DUK_HOBJECT_IS_CALLABLE(obj) && !DUK_HOBJECT_IS_PROXY(obj)) {\n\t\t\tstridx = DUK_STRIDX_LC_FUNCTION;")
vant_duk_hook("${vant_duk_typeof_from}"
  "${vant_duk_typeof_to}"
  "typeof test for callable objects")
# The engine asks the date formatter for its locale forms only; JScript's
# toString, toDateString, toTimeString and toUTCString differ from the
# engine's ISO-like text too, so every form but ISO 8601 goes to it.
set(vant_duk_locale_only "\tif (flags & DUK_DATE_FLAG_TOSTRING_LOCALE) {\n\t\t/* try locale specific formatter;")
vant_duk_hook("${vant_duk_locale_only}"
  "\tif (1) { /* vant-host: every string form asks the formatter first */\n\t\t/* try locale specific formatter;"
  "locale-only date formatter call")
# An invalid date prints as JScript prints it: NaN, not "Invalid Date".
set(vant_duk_invalid_date "\t\tduk_push_hstring_stridx(thr, DUK_STRIDX_INVALID_DATE);\n")
vant_duk_hook("${vant_duk_invalid_date}"
  "\t\tduk_push_string(thr, \"NaN\");\n"
  "invalid date text")
# The host's native objects are finalized by a plain C call
# (duktape/native_finalizer.h) where the engine would fetch and call a
# finalizer function in a protected call of its own.
set(vant_duk_run_finalizer "\tduk_push_hobject(thr, obj); /* this also increases refcount by one */\n\trc = duk_safe_call(thr, duk__finalize_helper")
vant_duk_hook("${vant_duk_run_finalizer}"
  "\tif (vant_duk_native_finalize(heap, obj)) {\n\t\treturn;\n\t}\n${vant_duk_run_finalizer}"
  "finalizer call in duk_heap_run_finalizer")
# The host's proxies are read and coerced to primitives by plain C calls
# (duktape/native_proxy.h): a property read before the proxy's get trap
# would run, a read for a call (GETPROPC) before it reads at all, and
# ToPrimitive before it looks for Symbol.toPrimitive (which would run the
# get trap and then call the method it gave).
set(vant_duk_to_primitive "\tif (check_symbol && duk_get_method_stridx(thr, idx, DUK_STRIDX_WELLKNOWN_SYMBOL_TO_PRIMITIVE)) {")
vant_duk_hook("${vant_duk_to_primitive}"
  "\tif (check_symbol && vant_duk_coerce_native(thr, idx, hint)) {\n\t\treturn;\n\t}\n${vant_duk_to_primitive}"
  "Symbol.toPrimitive lookup in ToPrimitive")
set(vant_duk_proxy_get "\t\tif (DUK_UNLIKELY(DUK_HOBJECT_IS_PROXY(curr))) {\n\t\t\tduk_hobject *h_target;\n\n\t\t\tif (duk__proxy_check_prop(thr, curr, DUK_STRIDX_GET, tv_key, &h_target)) {")
vant_duk_hook("${vant_duk_proxy_get}"
  "\t\tif (DUK_UNLIKELY(DUK_HOBJECT_IS_PROXY(curr)) && vant_duk_get_native(thr, tv_obj, tv_key, 0)) {\n\t\t\treturn 1;\n\t\t}\n${vant_duk_proxy_get}"
  "proxy get trap in its property read")
set(vant_duk_getpropc "\t\t(void) duk_hobject_getprop(thr, (barg), (carg)); \\\n\t\tDUK_GC_TORTURE(thr->heap); \\\n\t\ttv__targ = DUK_GET_TVAL_NEGIDX(thr, -1); \\\n")
vant_duk_hook("${vant_duk_getpropc}"
  "\t\tif (!vant_duk_get_native(thr, (barg), (carg), 1)) { \\\n\t\t\t(void) duk_hobject_getprop(thr, (barg), (carg)); \\\n\t\t} \\\n\t\tDUK_GC_TORTURE(thr->heap); \\\n\t\ttv__targ = DUK_GET_TVAL_NEGIDX(thr, -1); \\\n"
  "property read for calls")
# A page's globals and the host's objects are properties of the global
# object, which the engine looked up twice per use of a name (once to find
# the binding, once more to read it). An own data property of a binding
# object without exotic behaviour is now read (and written, when writable)
# in place, as the engine already does for a function's own variables;
# accessors, inherited names and exotic or proxy targets take the old path.
set(vant_duk_objenv_lookup "\t\t\t\tfound = duk_hobject_hasprop_raw(thr, target, name);\n")
vant_duk_hook("${vant_duk_objenv_lookup}"
  "\t\t\t\tif (!DUK_HOBJECT_HAS_EXOTIC_BEHAVIOR(target)) {\n\t\t\t\t\ttv = duk_hobject_find_entry_tval_ptr_and_attrs(thr->heap, target, name, &attrs);\n\t\t\t\t\tif (tv != NULL) {\n\t\t\t\t\t\tout->value = tv;\n\t\t\t\t\t\tout->attrs = attrs;\n\t\t\t\t\t\tout->env = env;\n\t\t\t\t\t\tout->holder = target;\n\t\t\t\t\t\tout->has_this = ((duk_hobjenv *) env)->has_this;\n\t\t\t\t\t\treturn 1;\n\t\t\t\t\t}\n\t\t\t\t}\n${vant_duk_objenv_lookup}"
  "name lookup in object environments")
# The heap snapshot learns which recorded objects a page touched from the
# engine's own accessors, redefined (duktape/write_tracking.inc) after the
# engine's internal headers and before any of its code.
set(vant_duk_headers_end "#endif /* DUK_INTERNAL_H_INCLUDED */\n")
vant_duk_hook("${vant_duk_headers_end}"
  "#include \"host/pages/duktape/write_tracking.inc\"\nextern \"C\" duk_bool_t vant_duk_get_native(duk_hthread *thr, duk_tval *tv_obj, duk_tval *tv_key, duk_small_uint_t for_call);\n${vant_duk_headers_end}"
  "end of its internal headers")
# The heap snapshot (duktape/heap_snapshot.h) and the native finalizers read
# the engine's object layout, so they are compiled as part of its own source.
string(APPEND vant_duk_source "\n#include \"host/pages/duktape/heap_snapshot.inc\"\n")
string(APPEND vant_duk_source "#include \"host/pages/duktape/native_finalizer.inc\"\n")
string(APPEND vant_duk_source "#include \"host/pages/duktape/native_proxy.inc\"\n")
file(WRITE "${vant_duk_out}/duktape.c.in" "${vant_duk_source}")
configure_file("${vant_duk_out}/duktape.c.in" "${vant_duk_out}/duktape.c" COPYONLY)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
             "${VANT_DUKTAPE_SOURCE_DIR}/duktape.c")
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
             "${VANT_DUKTAPE_SOURCE_DIR}/duk_config.h")

# The hook is compiled into the engine's library (it is not part of
# vant_host_pages), so no link order can leave it out.
add_library(vant_duktape STATIC "${vant_duk_out}/duktape.c"
            "${CMAKE_CURRENT_LIST_DIR}/duktape/date_text_hook.cpp"
            "${CMAKE_CURRENT_LIST_DIR}/duktape/interpreter_hooks.cpp")
target_include_directories(vant_duktape BEFORE PUBLIC "${vant_duk_out}")
target_include_directories(vant_duktape PRIVATE "${CMAKE_CURRENT_LIST_DIR}/../..")
target_link_libraries(vant_duktape PUBLIC m vant_sys)
# Third-party C: our warning set is not its contract. Optimise it even in
# debug builds: it is the interpreter every page runs on.
set(vant_duk_options "-w;-Wno-error;-O2")
# The sanitized unit build checks our code; instrumenting the interpreter's one
# large file would take most of that build's time and test Duktape, not us.
if(VANT_SANITIZE STREQUAL "address")
  list(APPEND vant_duk_options "-fno-sanitize=all")
endif()
set_source_files_properties("${vant_duk_out}/duktape.c" PROPERTIES
  LANGUAGE CXX COMPILE_OPTIONS "${vant_duk_options}")

# The page library is defined after this file is included; link it once the
# folder's CMakeLists has been read.
