// Commits one fault of the kind named on its command line. Run in the
// sanitizer build only, where each must be reported: proof that "no
// reports" from the suite means the sanitizers were really watching.
#include <climits>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

volatile int g_sink;
int* volatile g_lost;

int useAfterFree()
{
    int* volatile p = new int[4]{1, 2, 3, 4};
    delete[] p;
    return p[g_sink + 1];
}

int overflow()
{
    int* p = new int[4]{};
    const int r = p[g_sink + 4];
    delete[] p;
    return r;
}

int leak()
{
    g_lost = new int[64];
    g_lost = nullptr;
    return 0;
}

int signedOverflow()
{
    int x = INT_MAX - g_sink;
    x += 1;
    return x;
}

} // namespace

int main(int argc, char** argv)
{
    const std::string fault = argc > 1 ? argv[1] : "";
    if (fault == "use-after-free")
        g_sink = useAfterFree();
    else if (fault == "heap-overflow")
        g_sink = overflow();
    else if (fault == "leak")
        g_sink = leak();
    else if (fault == "signed-overflow")
        g_sink = signedOverflow();
    else
        return 2;
    return 0;
}
