// The records of the tree file: a node with its link records and,
// nested, its children; each list preceded by its count. Older versions
// lack fields that came later; see ReadContext for the id handling.
#include "framework/bwstream.h"
#include "site/ExtractList.h"
#include "site/LinkFlags.h"
#include "site/LocalPaths.h"
#include "site/PersistContext.h"
#include "site/ToBeOpenTN.h"

int ExtractNode::write(obwstream& out, WriteContext* ctx) const {
    out.writeString(linkText);
    out.writeU32(valueEnd);
    out.writeU32(ctx->unrewrittenLinks ? 0 : savedPos);
    out.writeU16(ctx->unrewrittenLinks ? uint16_t{0} : savedLen);
    out.writeU16(tag);
    out.writeU16(attribute);
    out.writeU32(flags);
    out.writeString(refText);
    ctx->writeRef(out, target);
    bool extra = attrStart != -1 || !codebase.empty();
    out.writeU8(extra ? 1 : 0);
    if (extra) {
        out.writeI32(attrStart);
        out.writeString(codebase);
    }
    return out.fail() ? -1 : 0;
}

int ExtractNode::read(ibwstream& in, ReadContext* ctx) {
    uint16_t v = ctx->version();
    uint32_t id = 0;
    bool ok = in.readString(linkText) && in.readU32(valueEnd) && in.readU32(savedPos) && in.readU16(savedLen) &&
              in.readU16(tag) && in.readU16(attribute) && ctx->readFlags(in, flags) && in.readString(refText) &&
              ctx->readRef(in, id);
    if (!ok) return -1;
    if (v > 6) {
        uint8_t extra = 0;
        if (!in.readU8(extra)) return -1;
        if (extra) {
            if (!in.readI32(attrStart)) return -1;
            if (v > 7 && !in.readString(codebase)) return -1;
        }
    }
    // Only a whole record is kept, and only then is its target looked for.
    ctx->addTarget(this, id);
    return 0;
}

int ToBeOpenTN::write(obwstream& out, WriteContext* ctx) const {
    ctx->writeRef(out, this);
    const bool requeued = ctx->loadingAsQueued && state == StateLoading;
    out.writeU16(requeued ? uint16_t{StateQueued} : state);
    out.writeU32(requeued ? flags & ~uint32_t{FlagRewritten} : flags);
    out.writeU8(level);
    out.writeU8(onStartHost ? 1 : 0);
    out.writeString(name);
    out.writeString(tail);
    out.writeString(storedPathForm(savedFile));
    out.writeString(storedPathForm(rawFile));
    out.writeString(title);
    out.writeU16(codePage);
    out.writeU16(0);
    out.writeString(baseUrl);
    out.writeI32(reserved);
    out.writeU8(0);
    size_t stored = 0;
    for (Node* n = links.first(); n; n = n->next()) stored += n->isStored();
    ctx->writeCount(out, stored);
    ctx->unrewrittenLinks = requeued;
    for (Node* n = links.first(); n; n = n->next())
        if (n->isStored() && n->write(out, ctx) != 0) return -1;
    ctx->unrewrittenLinks = false;
    ctx->writeCount(out, count());
    for (ToBeOpenTN* c = firstChild(); c; c = c->nextSibling())
        if (c->write(out, ctx) != 0) return -1;
    return out.fail() ? -1 : 0;
}

namespace {

// Paths from a file must stay inside the output folder: anything else is
// dropped, so that no later delete or write reaches outside it.
void checkPaths(ToBeOpenTN& n, const ReadContext& ctx) {
    if (ctx.version() < 5) {
        // Stored absolute then.
        if (!n.savedFile.empty()) n.savedFile = relativeToFolder(ctx.outputFolder(), n.savedFile);
        n.rawFile.clear();
    }
    n.savedFile = localPathForm(n.savedFile);
    n.rawFile = localPathForm(n.rawFile);
    if (!n.savedFile.empty() && !isSafeRelativePath(n.savedFile)) n.savedFile.clear();
    if (!n.rawFile.empty() && !isSafeRelativePath(n.rawFile)) n.rawFile.clear();
}

}  // namespace

int ToBeOpenTN::read(ibwstream& in, ReadContext* ctx) {
    return readFields(in, ctx) == 0 ? readLists(in, ctx) : -1;
}

int ToBeOpenTN::readFields(ibwstream& in, ReadContext* ctx) {
    uint16_t v = ctx->version();
    uint32_t id = 0;
    uint16_t st = 0, reserved16 = 0;
    uint8_t onStart = 1, reserved8 = 0;
    AStr dropped;
    bool ok = ctx->readRef(in, id) && in.readU16(st) && ctx->readFlags(in, flags) && in.readU8(level) &&
              (v < 9 || in.readU8(onStart)) && in.readString(name) && (v < 2 || in.readString(tail)) &&
              in.readString(savedFile) && (v >= 2 || in.readString(dropped)) && (v <= 5 || in.readString(rawFile)) &&
              in.readString(title) && in.readU16(codePage) && in.readU16(reserved16) && in.readString(baseUrl) &&
              (v <= 6 || (in.readI32(reserved) && in.readU8(reserved8)));
    if (!ok) return -1;
    ctx->registerObject(id, this);
    onStartHost = onStart != 0;
    // No download runs after loading; an unknown state is taken as new.
    state = st == StateLoading ? uint16_t{StateQueued} : (st > StateFailed ? uint16_t{StateNew} : st);
    checkPaths(*this, *ctx);
    return 0;
}

int ToBeOpenTN::readLists(ibwstream& in, ReadContext* ctx) {
    uint32_t n = 0;
    // Whatever was read whole before damage stays; the half-read record
    // goes, and the page that lost links is named for the reader to settle.
    if (!ctx->readCount(in, n)) {
        ctx->setCutPage(this);
        return -1;
    }
    for (uint32_t i = 0; i < n; ++i) {
        ExtractNode* l = new ExtractNode;
        if (l->read(in, ctx) != 0) {
            delete l;
            ctx->setCutPage(this);
            return -1;
        }
        links.append(l);
    }
    if (!ctx->readCount(in, n)) return -1;
    if (n > 0 && !ctx->enter()) return -1;
    for (uint32_t i = 0; i < n; ++i) {
        // The child takes its place before its own children are read: how
        // they compare (with or without case) depends on where it stands.
        ToBeOpenTN* c = new ToBeOpenTN;
        if (c->readFields(in, ctx) != 0) {
            delete c;
            return -1;
        }
        insertChild(c);
        if (c->readLists(in, ctx) != 0) return -1;
    }
    if (n > 0) ctx->leave();
    return 0;
}
