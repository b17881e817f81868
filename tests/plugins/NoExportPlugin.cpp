// A library that looks like a plug-in by its name but exports no KFMGetPluginInterface.

#define KFM_TEST_EXPORT extern "C" __attribute__((visibility("default")))

KFM_TEST_EXPORT int KFMSomethingElse() {
    return 1;
}
