// A plug-in for the module tests: plain C exports, as the program's plug-ins have.
extern "C" __attribute__((visibility("default"))) int PluginAnswer(int x) { return x * 2 + 1; }

static int g_loads = 0;
__attribute__((constructor)) static void OnLoad() { ++g_loads; }
extern "C" __attribute__((visibility("default"))) int PluginLoads() { return g_loads; }
