// Test filters for kept settings. Both add an amount to every channel (and
// invert green for an odd amount). Their "dialog" (the parameters selector
// with the dialog to be shown) asks the host to choose a colour, starting
// from the amount as red, and takes the red chosen as the new amount (a host
// without a colour dialog leaves it); when MUGWARP_PROBE_AMOUNT is set, that
// is taken instead, as a person would type it, and nothing is asked.
//
// "Scripted Settings" writes its amount as scripting parameters of every key
// type and reads them back when it is given them, checking each against the
// amount: a value that does not come back as written fails the run with
// "erroneous parameter block". Told not to show its dialog, it runs on the
// descriptor alone. "Block Settings" keeps its amount in its parameter block only.
#include <cstdlib>
#include <cstring>
#include <string>

#include "filter_module.h"
#include "pshost/descriptor_abi.h"

using namespace filters;

namespace {

constexpr std::int32_t kDefaultAmount = 10;

struct Params {
    std::int32_t amount;
};

constexpr std::uint32_t code(const char (&t)[5]) {
    return (std::uint32_t(std::uint8_t(t[0])) << 24) | (std::uint32_t(std::uint8_t(t[1])) << 16) |
           (std::uint32_t(std::uint8_t(t[2])) << 8) | std::uint32_t(std::uint8_t(t[3]));
}

void dialog(FilterRecord* r, std::int32_t& amount) {
    const char* text = std::getenv("MUGWARP_PROBE_AMOUNT");
    if (text && *text) {
        amount = std::atoi(text);
        return;
    }
    if (r->colorServices) {
        ColorServicesInfo info{};
        info.infoSize = sizeof info;
        info.selector = kChooseColor;
        info.colorComponents[0] = std::int16_t(amount);
        if (r->colorServices(&info) == kNoErr) amount = std::clamp<std::int32_t>(info.colorComponents[0], 0, 255);
    }
}

std::string withAmount(std::string prefix, std::int32_t amount) {
    prefix += std::to_string(amount);
    return prefix;
}
std::string textFor(std::int32_t amount) { return withAmount("probe ", amount); }
// Bytes with a zero inside, as a path or raw data may hold.
std::string aliasFor(std::int32_t amount) { return withAmount(std::string("C:\\probe\0", 9), amount); }

Handle handleWith(FilterRecord* r, const std::string& bytes) {
    Handle h = r->handleProcs->newProc(std::int32_t(bytes.size()));
    if (h) std::memcpy(*h, bytes.data(), bytes.size());
    return h;
}
bool handleHolds(FilterRecord* r, Handle h, const std::string& bytes) {
    if (!h) return false;
    const bool same = r->handleProcs->getSizeProc(h) == std::int32_t(bytes.size()) &&
                      std::memcmp(*h, bytes.data(), bytes.size()) == 0;
    r->handleProcs->disposeProc(h);
    return same;
}

PIDescriptorParameters* scripting(FilterRecord* r) {
    return static_cast<PIDescriptorParameters*>(r->descriptorParameters);
}

OSErr writeDescriptor(FilterRecord* r, std::int32_t amount) {
    PIDescriptorParameters* d = scripting(r);
    if (!d || !d->writeDescriptorProcs) return kHostInsufficient;
    WriteDescriptorProcs* w = d->writeDescriptorProcs;

    PIWriteDescriptor point = w->openWriteDescriptorProc();
    const double minus = -amount;
    w->putIntegerProc(point, code("Hrzn"), amount);
    w->putFloatProc(point, code("Vrtc"), &minus);
    PIDescriptorHandle pointHandle = nullptr;
    w->closeWriteDescriptorProc(point, &pointHandle);
    PIWriteDescriptor list = w->openWriteDescriptorProc();
    w->putCountProc(list, code("Cnt "), 3);
    PIDescriptorHandle listHandle = nullptr;
    w->closeWriteDescriptorProc(list, &listHandle);

    PIWriteDescriptor token = w->openWriteDescriptorProc();
    const double scale = amount / 4.0, angle = amount * 1.5;
    Handle text = handleWith(r, textFor(amount)), alias = handleWith(r, aliasFor(amount));
    const std::string string = withAmount("s", amount);
    unsigned char pascal[256] = {std::uint8_t(string.size())};
    std::memcpy(pascal + 1, string.data(), string.size());
    PIDescriptorSimpleReference reference{};
    reference.desiredClass = code("Lyr ");
    reference.keyForm = code("indx");
    reference.keyData.index = amount;
    OSErr e = 0;
    e |= w->putIntegerProc(token, code("Amnt"), amount);
    e |= w->putFloatProc(token, code("Scal"), &scale);
    e |= w->putUnitFloatProc(token, code("Angl"), code("#Ang"), &angle);
    e |= w->putBooleanProc(token, code("Odd "), Boolean(amount & 1));
    e |= w->putTextProc(token, code("Name"), text);
    e |= w->putAliasProc(token, code("Path"), alias);
    e |= w->putEnumeratedProc(token, code("Mode"), code("MdTp"), code("Add "));
    e |= w->putClassProc(token, code("Clss"), code("Prbe"));
    e |= w->putScopedClassProc(token, code("GCls"), code("GPrb"));
    e |= w->putObjectProc(token, code("Obj "), code("Pnt "), pointHandle);
    e |= w->putScopedObjectProc(token, code("GObj"), code("List"), listHandle);
    e |= w->putCountProc(token, code("Cnt "), std::uint32_t(amount + 1));
    e |= w->putStringProc(token, code("Str "), pascal);
    e |= w->putSimpleReferenceProc(token, code("Ref "), &reference);
    r->handleProcs->disposeProc(text);
    r->handleProcs->disposeProc(alias);
    r->handleProcs->disposeProc(pointHandle);
    r->handleProcs->disposeProc(listHandle);
    if (d->descriptor) r->handleProcs->disposeProc(d->descriptor);
    d->descriptor = nullptr;
    e |= w->closeWriteDescriptorProc(token, &d->descriptor);
    return e ? kFilterBadParameters : kNoErr;
}

// Reads every key back; false when one of them is not what the amount says.
bool readNested(FilterRecord* r, Handle h, std::uint32_t key, std::int32_t amount) {
    ReadDescriptorProcs* rd = scripting(r)->readDescriptorProcs;
    PIReadDescriptor token = rd->openReadDescriptorProc(h, nullptr);
    bool ok = token != nullptr;
    DescriptorKeyID k;
    DescriptorTypeID type;
    std::int32_t flags;
    while (ok && rd->getKeyProc(token, &k, &type, &flags)) {
        std::int32_t i = 0;
        double f = 0;
        std::uint32_t n = 0;
        if (k == code("Hrzn")) ok = rd->getIntegerProc(token, &i) == kNoErr && i == amount;
        else if (k == code("Vrtc")) ok = rd->getFloatProc(token, &f) == kNoErr && f == -amount;
        else if (k == code("Cnt ")) ok = rd->getCountProc(token, &n) == kNoErr && n == 3;
        else ok = false;
    }
    if (token && rd->closeReadDescriptorProc(token) != kNoErr) ok = false;
    r->handleProcs->disposeProc(h);
    return ok && key != 0;
}

bool readDescriptor(FilterRecord* r, std::int32_t& amountOut) {
    PIDescriptorParameters* d = scripting(r);
    ReadDescriptorProcs* rd = d->readDescriptorProcs;
    DescriptorKeyID expected[] = {code("Amnt"), code("Scal"), code("Angl"), code("Odd "), code("Name"),
                                  code("Path"), code("Mode"), code("Clss"), code("GCls"), code("Obj "),
                                  code("GObj"), code("Cnt "), code("Str "), code("Ref "), 0};
    PIReadDescriptor token = rd->openReadDescriptorProc(d->descriptor, expected);
    if (!token) return false;
    std::int32_t amount = -1;
    bool ok = true;
    DescriptorKeyID key;
    DescriptorTypeID type;
    std::int32_t flags;
    while (ok && rd->getKeyProc(token, &key, &type, &flags)) {
        if (key == code("Amnt")) {
            ok = type == code("long") && rd->getPinnedIntegerProc(token, 0, 255, &amount) == kNoErr;
            continue;
        }
        ok = amount >= 0;  // the amount comes first
        double f = 0;
        std::uint32_t u = 0;
        Boolean b = 0;
        Handle h = nullptr;
        if (key == code("Scal")) {
            ok = ok && rd->getFloatProc(token, &f) == kNoErr && f == amount / 4.0;
        } else if (key == code("Angl")) {
            const double low = 0, high = 1000;
            ok = ok && rd->getPinnedUnitFloatProc(token, &low, &high, &u, &f) == kNoErr && u == code("#Ang") &&
                 f == amount * 1.5;
        } else if (key == code("Odd ")) {
            ok = ok && rd->getBooleanProc(token, &b) == kNoErr && b == Boolean(amount & 1);
        } else if (key == code("Name")) {
            ok = ok && rd->getTextProc(token, &h) == kNoErr && handleHolds(r, h, textFor(amount));
        } else if (key == code("Path")) {
            ok = ok && rd->getAliasProc(token, &h) == kNoErr && handleHolds(r, h, aliasFor(amount));
        } else if (key == code("Mode")) {
            ok = ok && type == code("enum") && rd->getEnumeratedProc(token, &u) == kNoErr && u == code("Add ");
        } else if (key == code("Clss") || key == code("GCls")) {
            ok = ok && rd->getClassProc(token, &u) == kNoErr && u == (key == code("Clss") ? code("Prbe") : code("GPrb"));
        } else if (key == code("Obj ") || key == code("GObj")) {
            ok = ok && rd->getObjectProc(token, &u, &h) == kNoErr &&
                 u == (key == code("Obj ") ? code("Pnt ") : code("List")) && readNested(r, h, key, amount);
        } else if (key == code("Cnt ")) {
            ok = ok && rd->getCountProc(token, &u) == kNoErr && u == std::uint32_t(amount + 1);
        } else if (key == code("Str ")) {
            unsigned char s[256] = {};
            const std::string want = withAmount("s", amount);
            ok = ok && rd->getStringProc(token, &s) == kNoErr && s[0] == want.size() &&
                 std::memcmp(s + 1, want.data(), want.size()) == 0;
        } else if (key == code("Ref ")) {
            PIDescriptorSimpleReference ref{};
            ok = ok && rd->getSimpleReferenceProc(token, &ref) == kNoErr && ref.desiredClass == code("Lyr ") &&
                 ref.keyForm == code("indx") && ref.keyData.index == amount;
        } else {
            ok = false;
        }
    }
    if (rd->closeReadDescriptorProc(token) != kNoErr) ok = false;
    // Every expected key was found, so the host crossed each one off.
    if (expected[0] != 0) ok = false;
    if (ok) amountOut = amount;
    return ok;
}

bool haveDescriptor(FilterRecord* r) {
    PIDescriptorParameters* d = scripting(r);
    return d && d->descriptor && d->readDescriptorProcs;
}

void requestAll(FilterRecord* r) {
    r->inRect = r->outRect = r->filterRect;
    r->inLoPlane = r->outLoPlane = 0;
    r->inHiPlane = r->outHiPlane = 2;
}

void addAmount(FilterRecord* r, std::int32_t amount) {
    const int width = widthOf(r->outRect);
    for (int y = 0; y < heightOf(r->outRect); ++y) {
        const auto* in = static_cast<const std::uint8_t*>(r->inData) + std::ptrdiff_t(y) * r->inRowBytes;
        auto* out = static_cast<std::uint8_t*>(r->outData) + std::ptrdiff_t(y) * r->outRowBytes;
        for (int i = 0; i < width * 3; ++i) {
            std::uint8_t v = std::uint8_t(in[i] + amount);
            if (i % 3 == 1 && (amount & 1)) v = std::uint8_t(255 - v);
            out[i] = v;
        }
    }
    requestNothing(r);
}

void scripted(std::int16_t selector, FilterRecord* r, std::int16_t* result) {
    switch (selector) {
    case kSelectorParameters: {
        Params* p = parameters<Params>(r, true);
        if (!p) {
            *result = kMemFullErr;
            return;
        }
        std::int32_t amount = p->amount ? p->amount : kDefaultAmount;
        if (haveDescriptor(r) && !readDescriptor(r, amount)) {
            *result = kFilterBadParameters;
            return;
        }
        if (!scripting(r) || scripting(r)->playInfo != kPlayDontDisplay) dialog(r, amount);
        p->amount = amount;
        break;
    }
    case kSelectorStart: {
        Params* p = parameters<Params>(r, true);
        if (!p) {
            *result = kMemFullErr;
            return;
        }
        // Told not to show the dialog, the descriptor's settings are the ones.
        std::int32_t amount = p->amount ? p->amount : kDefaultAmount;
        if (haveDescriptor(r) && scripting(r)->playInfo == kPlayDontDisplay && !readDescriptor(r, amount)) {
            *result = kFilterBadParameters;
            return;
        }
        p->amount = amount;
        if (scripting(r)) *result = writeDescriptor(r, amount);
        requestAll(r);
        break;
    }
    case kSelectorContinue:
        addAmount(r, parameters<Params>(r, false)->amount);
        break;
    default:
        break;
    }
}

void blockOnly(std::int16_t selector, FilterRecord* r, std::int16_t* result) {
    Params* p = parameters<Params>(r, selector == kSelectorParameters);
    if (selector == kSelectorParameters) {
        if (!p) {
            *result = kMemFullErr;
            return;
        }
        std::int32_t amount = p->amount ? p->amount : kDefaultAmount;
        dialog(r, amount);
        p->amount = amount;
    } else if (selector == kSelectorStart) {
        requestAll(r);
    } else if (selector == kSelectorContinue) {
        addAmount(r, p ? p->amount : kDefaultAmount);
    }
}

// "Handle Settings" keeps its amount as text in a handle of its own, whose
// address sits in its parameter block beside a signature and the version of
// the handle suite it was made with, as expression filters keep their
// expressions. A block whose handle or version does not hold up is refused
// with "erroneous parameter block".
struct HandleParams {
    std::uint32_t signature;
    std::int16_t suiteVersion;
    std::uint8_t unaligned;  // the handle follows at an odd offset, as a packed structure has it
    Handle expression;
} __attribute__((packed));
constexpr std::uint32_t kHandleSignature = code("HSet");

std::string expressionFor(std::int32_t amount) { return withAmount("amount=", amount); }

bool expressionAmount(FilterRecord* r, const HandleParams& p, std::int32_t& amount) {
    if (p.signature != kHandleSignature || p.suiteVersion != r->handleProcs->handleProcsVersion || !p.expression)
        return false;
    const std::int32_t size = r->handleProcs->getSizeProc(p.expression);
    const std::string text = size > 7 ? std::string(*p.expression, std::size_t(size)) : std::string();
    if (!text.starts_with("amount=")) return false;
    amount = std::atoi(text.c_str() + 7);
    return true;
}

void withHandle(std::int16_t selector, FilterRecord* r, std::int16_t* result) {
    HandleParams* p = parameters<HandleParams>(r, selector == kSelectorParameters);
    std::int32_t amount = kDefaultAmount;
    if (selector == kSelectorParameters) {
        if (!p) {
            *result = kMemFullErr;
            return;
        }
        if (p->expression) expressionAmount(r, *p, amount);
        dialog(r, amount);
        if (p->expression) r->handleProcs->disposeProc(p->expression);
        p->signature = kHandleSignature;
        p->suiteVersion = r->handleProcs->handleProcsVersion;
        p->expression = handleWith(r, expressionFor(amount));
    } else if (selector == kSelectorStart) {
        if (!p || !expressionAmount(r, *p, amount)) {
            *result = kFilterBadParameters;
            return;
        }
        requestAll(r);
    } else if (selector == kSelectorContinue) {
        expressionAmount(r, *p, amount);
        addAmount(r, amount);
    }
}

}  // namespace

MUGWARP_FILTER_ENTRY void HandleSettings(std::int16_t s, void* record, std::intptr_t*, std::int16_t* result) {
    *result = kNoErr;
    if (s != kSelectorAbout) withHandle(s, static_cast<FilterRecord*>(record), result);
}

#ifdef _WIN32
#include <windows.h>
// "Nagging Settings" is "Block Settings" that, as some filters do when their
// saved settings do not suit them, opens a message box of its own at start
// whatever it was told.
MUGWARP_FILTER_ENTRY void NaggingSettings(std::int16_t s, void* record, std::intptr_t*, std::int16_t* result) {
    *result = kNoErr;
    if (s == kSelectorStart) MessageBoxA(nullptr, "Can't run this filter", "Nagging Settings", MB_OK);
    if (s != kSelectorAbout) blockOnly(s, static_cast<FilterRecord*>(record), result);
}
#else
MUGWARP_FILTER_ENTRY void NaggingSettings(std::int16_t s, void* record, std::intptr_t*, std::int16_t* result) {
    *result = kNoErr;
    if (s != kSelectorAbout) blockOnly(s, static_cast<FilterRecord*>(record), result);
}
#endif

MUGWARP_FILTER_ENTRY void ScriptedSettings(std::int16_t s, void* record, std::intptr_t*, std::int16_t* result) {
    *result = kNoErr;
    if (s != kSelectorAbout) scripted(s, static_cast<FilterRecord*>(record), result);
}
MUGWARP_FILTER_ENTRY void BlockSettings(std::int16_t s, void* record, std::intptr_t*, std::int16_t* result) {
    *result = kNoErr;
    if (s != kSelectorAbout) blockOnly(s, static_cast<FilterRecord*>(record), result);
}
