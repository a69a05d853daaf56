// SPDX-License-Identifier: MIT
// Stand-in for the vadel library libquarn_vadel.so.1. The vadel version tool
// only needs it to be loadable; it calls nothing in it.
extern "C" __attribute__((visibility("default"))) const char *quarn_vadel_standin_name(void)
{
    return "quarn_vadel stand-in";
}
