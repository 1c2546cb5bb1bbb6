// The C library loads an object whose relative relocations are packed (DT_RELR) only
// when the object names the library's GLIBC_ABI_DT_RELR version among those it
// needs. GNU ld adds that name itself; lld of this release packs the relocations but
// does not, so the program refers to the library's marker symbol of that version.
__asm__(".symver dtu_relr_marker, GLIBC_ABI_DT_RELR@GLIBC_ABI_DT_RELR");
extern "C" const char dtu_relr_marker;
// Kept by the linker's section garbage collection: nothing else refers to it.
extern "C" [[gnu::used, gnu::retain]] const void* const dtu_relr_marker_reference = &dtu_relr_marker;
