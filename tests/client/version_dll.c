/* A library with nothing in it but an exported function; the resource file gives its version. */
__declspec(dllexport) int version_probe(void) {
    return 1;
}
