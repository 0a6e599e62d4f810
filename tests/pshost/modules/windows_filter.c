/* A Windows filter module for the discovery tests: read, never run. */
__declspec(dllexport) void PluginMain(short selector, void* record, long long* data, short* result) {
    (void)selector; (void)record; (void)data;
    *result = 0;
}
