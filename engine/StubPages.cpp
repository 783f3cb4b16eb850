#include "engine/StubPages.h"

#include "app/Lang.h"
#include "engine/LocalPath.h"
#include "framework/htmlwstream.h"
#include "platform/File.h"
#include "platform/Folders.h"
#include "site/LinkFlags.h"
#include "site/LinkGraph.h"
#include "site/LocalPaths.h"

namespace {

constexpr int kTitle = 22145;
constexpr int kNotDownloaded = 22146;
constexpr int kOpenOriginal = 22147;
constexpr int kFooter = 22148;
constexpr int kStartIntro = 22150;

void head(ohtmlwstream& h, const PageLanguage& lang) {
    const char* charset = lang.code == "rus" ? "text/html; charset=windows-1251" : "text/html; charset=windows-1252";
    h.start("html").newline().start("head").newline();
    h.start("meta").attr("http-equiv", "Content-Type").attr("content", charset).newline();
    h.start("title").text(lang.lang.text(kTitle)).end("title").newline();
    h.end("head").newline().start("body").newline();
}

void footer(ohtmlwstream& h, const PageLanguage& lang) {
    h.start("hr").newline();
    h.start("center").start("font").attr("size", "-1").text(lang.lang.text(kFooter)).end("font").end("center").newline();
    h.end("body").newline().end("html").newline();
}

bool finish(ohtmlwstream& h) {
    h.flush();
    return h.good() && h.close() == 0;
}

// The node is left alone by stubs: fetched or to be fetched.
bool wantsNoStub(const LinkGraph& graph, const ToBeOpenTN& t) {
    const bool excluded = (t.flags & (FlagExcluded | FlagSkipped)) || t.state == StateMissing || t.state == StateFailed;
    if (t.state == StateNew && (t.flags & FlagStub) && !excluded) return true;
    if ((t.flags & FlagReceived) && !excluded) return true;
    if (!t.savedFile.empty() && platform::FileExists(graph.absolutePath(t.savedFile).c_str())) return true;
    return false;
}

}  // namespace

void StubPages::installInGraph() {
    graph_.makeStub = [this](ToBeOpenTN& node) { makeStub(node); };
}

bool StubPages::makeStub(ToBeOpenTN& node) {
    AStr url = graph_.urlOf(node);
    saving::PlaceRequest req;
    req.url = url;
    req.outputFlags = outputFlags_;
    req.outputFolder = graph_.outputFolder;
    req.mediaType = "text/html";
    AStr path;
    if (!saving::localPath(req, path)) return false;
    ohtmlwstream h(path.c_str());
    head(h, language_);
    h.start("h2").start("a").attr("href", url).text(url).end("a").end("h2").newline();
    h.start("p").text(language_.lang.text(kNotDownloaded)).text(" ");
    h.start("a").attr("href", url).text(language_.lang.text(kOpenOriginal)).end("a").end("p").newline();
    footer(h, language_);
    if (!finish(h)) {
        (void)platform::DeleteFile(path.c_str());
        return false;
    }
    node.flags |= FlagReceived | FlagStub | FlagOtherCodePage | FlagRewritten;
    node.savedFile = graph_.relativePath(path);
    node.rawFile.clear();
    if (graph_.nodeChanged) graph_.nodeChanged(node);
    return true;
}

void StubPages::writeStubsForPage(ToBeOpenTN& page) {
    for (Node* n = page.links.first(); n; n = n->next()) {
        ToBeOpenTN* target = static_cast<ExtractNode*>(n)->target;
        if (!target || (target->flags & FlagPicture) || wantsNoStub(graph_, *target)) continue;
        makeStub(*target);
    }
}

bool StubPages::writeStartPage(std::string_view heading) {
    AStr path = graph_.absolutePath("start.htm");
    ohtmlwstream h(path.c_str());
    head(h, language_);
    h.text(language_.lang.text(kStartIntro)).newline();
    h.start("h1").text(heading).end("h1").newline().start("hr").newline();
    for (Node* n = graph_.root().links.first(); n; n = n->next()) {
        ToBeOpenTN* start = static_cast<ExtractNode*>(n)->target;
        if (!start) continue;
        AStr url = graph_.urlOf(*start);
        AStr file = graph_.absolutePath(start->savedFile);
        bool stored = !start->savedFile.empty() && platform::FileExists(file.c_str());
        AStr href = stored ? saving::relativeLink(path, file, "") : url;
        h.start("dl").start("dt").start("font").attr("size", "1");
        h.start("a").attr("href", href).attr("target", "_blank").text(url).end("a").end("font").end("dt");
        if (stored)
            h.start("dd").start("font").attr("size", "-1").start("a").attr("href", url).text(url).end("a").end("font").end("dd");
        h.end("dl").newline();
    }
    footer(h, language_);
    return finish(h);
}

void StubPages::deleteAllFiles() {
    ForEachNode(graph_.root(), [this](ToBeOpenTN& n) {
        for (AStr* p : {&n.savedFile, &n.rawFile}) {
            if (isSafeRelativePath(*p)) (void)platform::DeleteFile(graph_.absolutePath(*p).c_str());
            p->clear();
        }
        n.flags &= ~uint32_t(FlagRewritten | FlagStub);
    });
    for (const char* own : {"start.htm", "start.html", "zelko.gif"})
        (void)platform::DeleteFile(graph_.absolutePath(own).c_str());
    platform::RemoveEmptyFolders(graph_.outputFolder.c_str());
}
