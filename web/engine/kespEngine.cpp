// The engine's interface to JavaScript (Emscripten's embind): the page's
// requests as JSON texts (web/engine/webRequests.h) and the program's title,
// release and revision.
//
//     const engine = await createKespEngine();
//     engine.FS.writeFile("mixedField.txt", fieldText);   // field files the input names
//     const checked = JSON.parse(engine.check(JSON.stringify(request)));
//     const done = JSON.parse(engine.run(JSON.stringify(request), cells => stopWanted));
//     const plan = JSON.parse(engine.scan(JSON.stringify({call: "plan", plan: curve}), null));

#include <emscripten/bind.h>

#include <string>

#include "kesp/report/banner.h"
#include "web/engine/webRequests.h"
#include "web/engine/webScans.h"

namespace {

std::string version()
{
    return std::string(R"({"title": ")") + std::string(kesp::programTitle) + R"(", "release": ")"
           + std::string(kesp::programRelease()) + R"(", "revision": ")" + KESP_GIT_REVISION + "\"}";
}

std::string check(const std::string& request)
{
    return kesp::web::checkRequest(request);
}

// `progress` is called with the cells done; a true answer stops the run
// after its current cell.
std::string run(const std::string& request, const emscripten::val& progress)
{
    return kesp::web::runRequest(request, [&progress](int cellsDone) {
        return progress.isUndefined() || progress.isNull() ? false : progress(cellsDone).as<bool>();
    });
}

// A scan of the page's curves (web/engine/webScans.h); `progress` as for run.
std::string scan(const std::string& request, const emscripten::val& progress)
{
    return kesp::web::scanRequest(request, [&progress](int cellsDone) {
        return progress.isUndefined() || progress.isNull() ? false : progress(cellsDone).as<bool>();
    });
}

}  // namespace

EMSCRIPTEN_BINDINGS(kespEngine)
{
    emscripten::function("version", &version);
    emscripten::function("check", &check);
    emscripten::function("run", &run);
    emscripten::function("scan", &scan);
}
