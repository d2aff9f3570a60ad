// Page recognition. The library injects this text into each leader frame of a
// page, wrapped in a function that receives a fresh namespace object `Velnor`,
// and then calls the functions of `Velnor.Recognition`.
//
// It runs in the page's own engine, legacy document modes included: ES3 syntax
// and library only (no JSON object, no Array extras, no String trim).
// The descriptor built by CreateBrowserDescriptor is created by the copy of this
// script in frame 0 and handed to the copies in other frames, so it holds plain
// data only (recognizer keys, not recognizer objects) and is never checked with
// instanceof.

var Recognition = {};
Velnor.Recognition = Recognition;

var DESCRIPTOR_CLASS = 'Velnor.RecognitionContext;1';
var PLAYBACK_CLASS = 'Velnor.PlaybackContext;2';
var APPLICATION_CLASS = 'Velnor.ApplicationContext;2';
var META_CLASS = 'Velnor.DocumentMeta;2';
var DOCCONTEXT_CLASS = 'Velnor.DocumentContext;3';
var CACHE_PREFIX = 'velnor-cache-';
var STANDARD_CODE = 'STDHTML';

var METHOD_NONE = 0;
var METHOD_DECLARED = 1;
var METHOD_DETECTED = 2;
var METHOD_OPENER = 3;
var METHOD_STANDARD = 4;

// ---------------------------------------------------------------------------
// Small helpers

var hasOwn = Object.prototype.hasOwnProperty;
var objectToString = Object.prototype.toString;

// Array.isArray where the document mode has it: it is far cheaper than the
// class text, and the context caches test hundreds of thousands of values.
var isArray = Array.isArray || function (v) {
    return objectToString.call(v) === '[object Array]';
};

function isString(v) {
    return typeof v === 'string';
}

function isNothing(v) {
    return v === null || v === undefined;
}

function indexOf(list, item) {
    for (var i = 0; i < list.length; i++) {
        if (list[i] === item) {
            return i;
        }
    }
    return -1;
}

function trim(s) {
    return String(s).replace(/^[\s\u00a0]+|[\s\u00a0]+$/g, '');
}

function now() {
    return new Date().getTime();
}

// Descriptor stamps must differ between runs in the same millisecond, or a
// cache written by one run would be taken for another's.
var lastStamp = 0;
function stamp() {
    var t = now();
    if (t <= lastStamp) {
        t = lastStamp + 1;
    }
    lastStamp = t;
    return String(t);
}

function isIndex(v, low, high) {
    return typeof v === 'number' && v % 1 === 0 && v >= low && v <= high;
}

// Splits a comma-separated list of application codes; codes are upper case
// and anything that cannot be a code is dropped.
function splitCodes(text) {
    var out = [];
    if (!isString(text)) {
        return out;
    }
    var pieces = text.split(',');
    for (var i = 0; i < pieces.length; i++) {
        var code = trim(pieces[i]).toUpperCase();
        if (code && /^[A-Z0-9_]+$/.test(code)) {
            out.push(code);
        }
    }
    return out;
}

function codeSet(list) {
    var set = {};
    for (var i = 0; i < list.length; i++) {
        set[list[i]] = true;
    }
    return set;
}

// Automation arrays (SAFEARRAY) arrive as opaque values; VBArray turns them
// into script arrays. Script arrays from any frame pass through.
function toScriptArray(v) {
    if (isArray(v)) {
        return v;
    }
    if (isNothing(v)) {
        return null;
    }
    try {
        if (typeof VBArray !== 'undefined') {
            return new VBArray(v).toArray();
        }
    } catch (e) {
    }
    return null;
}

// ---------------------------------------------------------------------------
// JSON, written out because legacy document modes have no JSON object

var JSON_SPECIAL = /[\\"\u0000-\u001f\u2028\u2029]/;

function quote(s) {
    s = String(s);
    // Most texts need no escape: skip the replace and its call per match.
    if (!JSON_SPECIAL.test(s)) {
        return '"' + s + '"';
    }
    return '"' + s.replace(/[\\"\u0000-\u001f\u2028\u2029]/g, function (c) {
        switch (c) {
        case '"': return '\\"';
        case '\\': return '\\\\';
        case '\n': return '\\n';
        case '\r': return '\\r';
        case '\t': return '\\t';
        case '\b': return '\\b';
        case '\f': return '\\f';
        default:
            var hex = c.charCodeAt(0).toString(16);
            return '\\u' + '0000'.substring(hex.length) + hex;
        }
    }) + '"';
}

// memo (optional): { values: [], texts: [] }. A long array met again by
// identity is written once: the caches of one frame repeat the same context
// parts, which a page may make tens of thousands long.
function toJson(v, memo) {
    var parts, i, k, text;
    if (isNothing(v)) {
        return 'null';
    }
    switch (typeof v) {
    case 'string':
        return quote(v);
    case 'number':
        return isFinite(v) ? String(v) : 'null';
    case 'boolean':
        return v ? 'true' : 'false';
    case 'object':
        parts = [];
        if (isArray(v)) {
            var remember = memo && v.length >= 64;
            if (remember) {
                i = indexOf(memo.values, v);
                if (i >= 0) {
                    return memo.texts[i];
                }
            }
            for (i = 0; i < v.length; i++) {
                parts.push(typeof v[i] === 'string' ? quote(v[i]) : toJson(v[i], memo));
            }
            text = '[' + parts.join(',') + ']';
            if (remember) {
                memo.values.push(v);
                memo.texts.push(text);
            }
            return text;
        }
        for (k in v) {
            if (hasOwn.call(v, k) && typeof v[k] !== 'function' && v[k] !== undefined) {
                parts.push(quote(k) + ':' + toJson(v[k], memo));
            }
        }
        return '{' + parts.join(',') + '}';
    default:
        return 'null';
    }
}

// A strict parser: cache texts live in page documents, where anything may
// have written them, so they are never evaluated as script.
function parseJson(text) {
    var at = 0;
    var ch = text.charAt(0);

    function fail() {
        throw new Error('bad JSON at ' + at);
    }
    function next() {
        at++;
        ch = text.charAt(at);
        return ch;
    }
    function white() {
        while (ch === ' ' || ch === '\t' || ch === '\n' || ch === '\r') {
            next();
        }
    }
    function expect(word) {
        if (text.substring(at, at + word.length) !== word) {
            fail();
        }
        at += word.length;
        ch = text.charAt(at);
    }
    function string() {
        var out = '';
        var hex;
        next();
        while (at < text.length) {
            if (ch === '"') {
                next();
                return out;
            }
            if (ch === '\\') {
                next();
                switch (ch) {
                case 'b': out += '\b'; break;
                case 'f': out += '\f'; break;
                case 'n': out += '\n'; break;
                case 'r': out += '\r'; break;
                case 't': out += '\t'; break;
                case 'u':
                    hex = text.substring(at + 1, at + 5);
                    if (!/^[0-9a-fA-F]{4}$/.test(hex)) {
                        fail();
                    }
                    out += String.fromCharCode(parseInt(hex, 16));
                    at += 4;
                    break;
                case '"': case '\\': case '/': out += ch; break;
                default: fail();
                }
                next();
            } else if (ch < ' ') {
                fail();
            } else {
                out += ch;
                next();
            }
        }
        return fail();
    }
    function number() {
        var m = /^-?(0|[1-9][0-9]*)(\.[0-9]+)?([eE][+\-]?[0-9]+)?/.exec(text.substring(at));
        if (!m) {
            fail();
        }
        at += m[0].length;
        ch = text.charAt(at);
        return parseFloat(m[0]);
    }
    function value() {
        var out, key;
        white();
        switch (ch) {
        case '{':
            out = {};
            next();
            white();
            if (ch === '}') {
                next();
                return out;
            }
            for (;;) {
                white();
                if (ch !== '"') {
                    fail();
                }
                key = string();
                white();
                if (ch !== ':') {
                    fail();
                }
                next();
                out[key] = value();
                white();
                if (ch === '}') {
                    next();
                    return out;
                }
                if (ch !== ',') {
                    fail();
                }
                next();
            }
            break;
        case '[':
            out = [];
            next();
            white();
            if (ch === ']') {
                next();
                return out;
            }
            for (;;) {
                out.push(value());
                white();
                if (ch === ']') {
                    next();
                    return out;
                }
                if (ch !== ',') {
                    fail();
                }
                next();
            }
            break;
        case '"':
            return string();
        case 't':
            expect('true');
            return true;
        case 'f':
            expect('false');
            return false;
        case 'n':
            expect('null');
            return null;
        default:
            return number();
        }
        return fail();
    }

    var result = value();
    white();
    if (at < text.length) {
        fail();
    }
    return result;
}

// ---------------------------------------------------------------------------
// Page access helpers

function documentOf(win) {
    try {
        var doc = win.document;
        if (doc && doc.documentElement) {
            return doc;
        }
    } catch (e) {
    }
    return null;
}

function domainOf(win) {
    try {
        var doc = win.document;
        var domain = doc.domain;
        if (domain) {
            return String(domain);
        }
        return String(win.location.hostname || '');
    } catch (e) {
        return null;
    }
}

function isTopWindow(win, parentIndex) {
    try {
        return win.parent === win || win.parent == null;
    } catch (e) {
        return parentIndex === -1;
    }
}

function textOf(el) {
    var t = el.innerText;
    if (typeof t !== 'string') {
        t = el.textContent;
    }
    return typeof t === 'string' ? t : '';
}

function attr(el, name) {
    var v;
    try {
        v = el.getAttribute(name);
    } catch (e) {
        return '';
    }
    if (isNothing(v)) {
        return '';
    }
    // Old document modes hand event attributes back as functions.
    if (typeof v === 'function') {
        v = handlerBody(v);
    }
    return String(v);
}

function handlerBody(fn) {
    var s = String(fn);
    var open = s.indexOf('{');
    var close = s.lastIndexOf('}');
    return open >= 0 && close > open ? s.substring(open + 1, close) : s;
}

// The elements of a tag as an array. A live collection may search itself again
// on every read (some engines look `length` up among the named items), so it
// is read once.
function elementsByTag(doc, tag) {
    var live = doc.getElementsByTagName(tag);
    var count = live.length;
    var out = [];
    for (var i = 0; i < count; i++) {
        out.push(live[i]);
    }
    return out;
}

var XHTML_NAMESPACE = 'http://www.w3.org/1999/xhtml';

// getElementsByTagName matches an HTML element by its name in any case and
// any other element by its exact name; old engines have no namespaces.
function isHtmlElement(el) {
    var ns = el.namespaceURI;
    return !ns || ns === XHTML_NAMESPACE;
}

// The first element of a tag in document order, as getElementsByTagName would
// give it, found by a walk that stops there: the collection would cover the
// whole page first.
function firstByTag(doc, tag) {
    var upper = tag.toUpperCase();
    var node = doc.firstChild;
    while (node) {
        if (node.nodeType === 1 && (node.tagName === tag || (node.tagName === upper && isHtmlElement(node)))) {
            return node;
        }
        if (node.firstChild) {
            node = node.firstChild;
            continue;
        }
        while (node && !node.nextSibling) {
            node = node.parentNode;
        }
        node = node ? node.nextSibling : null;
    }
    return null;
}

function metaContent(doc, name) {
    var metas = elementsByTag(doc, 'meta');
    var lower = name.toLowerCase();
    for (var i = 0; i < metas.length; i++) {
        if (attr(metas[i], 'name').toLowerCase() === lower) {
            return attr(metas[i], 'content');
        }
    }
    return null;
}

function windowFunction(win, name) {
    try {
        var fn = win[name];
        return typeof fn === 'function' || (typeof fn === 'object' && fn !== null && 'call' in fn) ? fn : null;
    } catch (e) {
        return null;
    }
}

function callWindowFunction(win, name) {
    var fn = windowFunction(win, name);
    if (!fn) {
        return undefined;
    }
    try {
        return fn.call(win);
    } catch (e) {
        return undefined;
    }
}

// Value at a dotted path below the window; a function at the end is called
// on its owner.
function readPath(win, path) {
    var names = path.split('.');
    var owner = win;
    var value = win;
    try {
        for (var i = 0; i < names.length; i++) {
            if (isNothing(value)) {
                return undefined;
            }
            owner = value;
            value = value[names[i]];
        }
        if (typeof value === 'function') {
            value = value.call(owner);
        }
    } catch (e) {
        return undefined;
    }
    return value;
}

function queryParams(search) {
    var out = [];
    var text = String(search || '').replace(/^\?/, '');
    if (!text) {
        return out;
    }
    var pairs = text.split('&');
    for (var i = 0; i < pairs.length; i++) {
        if (!pairs[i]) {
            continue;
        }
        var eq = pairs[i].indexOf('=');
        var name = eq >= 0 ? pairs[i].substring(0, eq) : pairs[i];
        var value = eq >= 0 ? pairs[i].substring(eq + 1) : '';
        out.push([decode(name), decode(value)]);
    }
    return out;
}

function decode(s) {
    try {
        return decodeURIComponent(s.replace(/\+/g, ' '));
    } catch (e) {
        return s;
    }
}

// Turns whatever a probe or a page hook returned into a list of texts.
function textValues(v) {
    var out = [];
    var i, s;
    if (isNothing(v) || v === false) {
        return out;
    }
    if (isArray(v)) {
        for (i = 0; i < v.length; i++) {
            if (isString(v[i]) || typeof v[i] === 'number') {
                s = trim(v[i]);
                if (s) {
                    out.push(s);
                }
            }
        }
        return out;
    }
    if (isString(v) || typeof v === 'number') {
        s = trim(v);
        if (s) {
            out.push(s);
        }
    }
    return out;
}

// ---------------------------------------------------------------------------
// Context parts: ordered lists of [part key, [values]]. A key keeps the place
// where it first came, its values their first-come order; a value given again
// counts once, and a part without several values keeps its first. Pages may
// declare tens of thousands of parts, so the builder looks keys and values up
// in tables instead of the lists. Keys and values are texts; in the tables
// they carry a prefix, because a bare "__proto__" or "constructor" would find
// what every object inherits.

function PartsBuilder() {
    this.parts = [];
    this.entries = {};
}

PartsBuilder.prototype.add = function (key, values, multi) {
    var id = '#' + key;
    var slot = hasOwn.call(this.entries, id) ? this.entries[id] : null;
    var valueId;
    for (var j = 0; j < values.length; j++) {
        if (!slot) {
            slot = { values: [], seen: {} };
            this.entries[id] = slot;
            this.parts.push([key, slot.values]);
        }
        if (!multi && slot.values.length) {
            break;
        }
        valueId = '#' + values[j];
        if (!hasOwn.call(slot.seen, valueId)) {
            slot.seen[valueId] = true;
            slot.values.push(values[j]);
        }
    }
};

function partsHaveValues(parts) {
    if (!isArray(parts)) {
        return false;
    }
    for (var i = 0; i < parts.length; i++) {
        if (isArray(parts[i]) && isArray(parts[i][1]) && parts[i][1].length) {
            return true;
        }
    }
    return false;
}

function partValues(parts, key) {
    if (isArray(parts)) {
        for (var i = 0; i < parts.length; i++) {
            if (parts[i][0] === key) {
                return parts[i][1];
            }
        }
    }
    return [];
}

// Rebuilds a parts list from untrusted data (caches, page hooks), keeping
// only texts.
function cleanParts(data) {
    var parts = new PartsBuilder();
    if (!isArray(data)) {
        return parts.parts;
    }
    for (var i = 0; i < data.length; i++) {
        if (isArray(data[i]) && isString(data[i][0]) && data[i][0]) {
            parts.add(data[i][0], textValues(data[i][1]), true);
        }
    }
    return parts.parts;
}

// ---------------------------------------------------------------------------
// Recognizer registry

var registry = { byKey: {}, keys: [], byCode: {}, codes: [] };

var BASE_SETTINGS = {
    IgnoreContext: 0,
    ContentMapType: '',
    GatewayTitle: 'Main Player',
    GatewayLinksTitle: 'Linked Resources',
    GatewayRememberTab: 1
};
var QUENTA_SETTINGS = { MaxSearch: 80, MaxHit: 200, Threshold: 30, MinScore: 10 };

function makeSettings(quenta, extra) {
    var s = {}, k;
    for (k in BASE_SETTINGS) {
        if (hasOwn.call(BASE_SETTINGS, k)) {
            s[k] = BASE_SETTINGS[k];
        }
    }
    s.ContentMap = [];
    s.GatewayLinks = [];
    s.GatewayPages = [];
    if (quenta) {
        for (k in QUENTA_SETTINGS) {
            if (hasOwn.call(QUENTA_SETTINGS, k)) {
                s[k] = QUENTA_SETTINGS[k];
            }
        }
    }
    for (k in extra) {
        if (hasOwn.call(extra, k)) {
            s[k] = extra[k];
        }
    }
    return s;
}

// Part flags: search (becomes a search term), record (reported by the
// recorder context), multi (the part keeps several values).
function makePart(key, caption, search, record, multi) {
    return {
        key: key,
        caption: caption,
        search: search !== false,
        record: record !== false,
        multi: multi === true
    };
}

var APPLICATION_NAME_PART = makePart('MA', 'Application Name', false, true, false);

function register(def) {
    var quenta = def.quenta === true;
    var variant = def.variant || (quenta ? 'S' : 'X');
    var rec = {
        code: def.code,
        variant: variant,
        key: def.code + ':' + variant,
        quenta: quenta,
        settings: makeSettings(quenta, def.settings || {}),
        parts: [],
        contextKind: typeof def.contextKind === 'number' ? def.contextKind : (quenta ? 3 : 1),
        detect: def.detect || null,
        detectLoose: def.detectLoose !== undefined ? def.detectLoose : (def.detect || null),
        topOnly: def.topOnly === true,
        extract: def.extract || null,
        useHook: def.useHook === true
    };
    var partDefs = def.parts || [makePart('C', 'Context ID')];
    for (var i = 0; i < partDefs.length; i++) {
        rec.parts.push(partDefs[i]);
    }
    if (!findPart(rec, 'MA')) {
        rec.parts.push(APPLICATION_NAME_PART);
    }
    if (hasOwn.call(registry.byKey, rec.key)) {
        throw new Error('duplicate recognizer ' + rec.key);
    }
    registry.byKey[rec.key] = rec;
    registry.keys.push(rec.key);
    if (!hasOwn.call(registry.byCode, rec.code)) {
        registry.byCode[rec.code] = [];
        registry.codes.push(rec.code);
    }
    registry.byCode[rec.code].push(rec);
    return rec;
}

function findPart(rec, key) {
    for (var i = 0; i < rec.parts.length; i++) {
        if (rec.parts[i].key === key) {
            return rec.parts[i];
        }
    }
    return null;
}

// ---------------------------------------------------------------------------
// Probes: small table-driven tests of a frame. Each returns a value, or
// null/undefined/'' when the frame does not show what it looks for.

function elementsWithClass(doc, tag, classes) {
    var out = [];
    var els = elementsByTag(doc, tag);
    for (var i = 0; i < els.length; i++) {
        var cls = ' ' + String(els[i].className || '') + ' ';
        var ok = true;
        for (var j = 0; j < classes.length; j++) {
            if (cls.indexOf(' ' + classes[j] + ' ') < 0) {
                ok = false;
                break;
            }
        }
        if (ok) {
            out.push(els[i]);
        }
    }
    return out;
}

function pathSegments(pathname) {
    var out = [];
    var raw = String(pathname || '').split('/');
    for (var i = 0; i < raw.length; i++) {
        if (raw[i]) {
            out.push(decode(raw[i]));
        }
    }
    return out;
}

var probes = {
    // ['global', 'a.b.c']: a value of the page's script objects
    global: function (win, doc, spec) {
        return readPath(win, spec[1]);
    },
    // ['hook', name]: what a page function returns
    hook: function (win, doc, spec) {
        return callWindowFunction(win, spec[1]);
    },
    // ['meta', name]: content of a meta element
    meta: function (win, doc, spec) {
        return metaContent(doc, spec[1]);
    },
    // ['attr', tag, attribute]: attribute of the first element of a tag
    attr: function (win, doc, spec) {
        var el = firstByTag(doc, spec[1]);
        return el ? attr(el, spec[2]) : null;
    },
    // ['param', name...]: the first query parameter present
    param: function (win, doc, spec) {
        var params = queryParams(win.location.search);
        for (var i = 1; i < spec.length; i++) {
            for (var j = 0; j < params.length; j++) {
                if (params[j][0].toLowerCase() === spec[i] && params[j][1]) {
                    return params[j][1];
                }
            }
        }
        return null;
    },
    // ['url', pattern]: the groups of a match in the address, joined by '/'
    url: function (win, doc, spec) {
        var m = new RegExp(spec[1], 'i').exec(String(win.location.href));
        if (!m) {
            return null;
        }
        var groups = [];
        for (var i = 1; i < m.length; i++) {
            if (m[i]) {
                groups.push(decode(m[i]));
            }
        }
        return groups.length ? groups.join('/') : true;
    },
    // ['route']: the route of a "#/..." or "#!/..." address, record numbers
    // replaced so that one screen gives one value
    route: function (win, doc, spec) {
        var m = /^#!?\/([^?]*)/.exec(String(win.location.hash || ''));
        if (!m || !m[1]) {
            return null;
        }
        var segs = pathSegments(m[1]);
        for (var i = 0; i < segs.length; i++) {
            if (/^[0-9]+$/.test(segs[i])) {
                segs[i] = '#';
            }
        }
        return segs.join('/');
    },
    // ['frames', name...]: the window holds frames of all these names
    frames: function (win, doc, spec) {
        for (var i = 1; i < spec.length; i++) {
            if (!childFrame(win, spec[i])) {
                return null;
            }
        }
        return true;
    },
    // ['framepage', name]: last path segment of a named child frame's page
    framepage: function (win, doc, spec) {
        var child = childFrame(win, spec[1]);
        if (!child) {
            return null;
        }
        try {
            var segs = pathSegments(child.location.pathname);
            return segs.length ? segs[segs.length - 1] : null;
        } catch (e) {
            return null;
        }
    },
    // ['winname', pattern]: the window's name matches
    winname: function (win, doc, spec) {
        var name = String(win.name || '');
        return new RegExp(spec[1]).test(name) ? name : null;
    },
    // ['count', tag, class...]: number of such elements (a score)
    count: function (win, doc, spec) {
        return elementsWithClass(doc, spec[1], spec.slice(2)).length;
    },
    // ['ids', tag, class...]: ids of such elements
    ids: function (win, doc, spec) {
        var els = elementsWithClass(doc, spec[1], spec.slice(2));
        var out = [];
        for (var i = 0; i < els.length; i++) {
            if (els[i].id) {
                out.push(els[i].id);
            }
        }
        return out.length ? out : null;
    },
    // ['classprefix', tag, prefix]: rest of the first class of the element
    // that starts with the prefix
    classprefix: function (win, doc, spec) {
        var el = firstByTag(doc, spec[1]);
        if (!el) {
            return null;
        }
        var classes = String(el.className || '').split(/\s+/);
        for (var i = 0; i < classes.length; i++) {
            if (classes[i].length > spec[2].length && classes[i].indexOf(spec[2]) === 0) {
                return classes[i].substring(spec[2].length);
            }
        }
        return null;
    },
    // ['not', probe]: the other probe finds nothing
    not: function (win, doc, spec) {
        return present(runProbe(spec[1], win, doc)) ? null : true;
    },
    // ['title']: the document's title
    title: function (win, doc) {
        return doc.title;
    }
};

function childFrame(win, name) {
    var frames, count;
    try {
        frames = win.frames;
        count = frames.length;
    } catch (e) {
        return null;
    }
    for (var i = 0; i < count; i++) {
        try {
            if (frames[i].name === name) {
                return frames[i];
            }
        } catch (e2) {
        }
    }
    return null;
}

function runProbe(spec, win, doc) {
    try {
        return probes[spec[0]](win, doc, spec);
    } catch (e) {
        return null;
    }
}

function present(v) {
    if (isNothing(v) || v === false || v === '' || v === 0) {
        return false;
    }
    return !(isArray(v) && !v.length);
}

// A detection test from a table row: every probe must find something; a
// numeric probe result is the score.
function makeDetect(specs) {
    if (!specs) {
        return null;
    }
    return function (win, doc) {
        var score = true;
        for (var i = 0; i < specs.length; i++) {
            var v = runProbe(specs[i], win, doc);
            if (!present(v)) {
                return false;
            }
            if (typeof v === 'number') {
                score = v;
            }
        }
        return score;
    };
}

function makeExtract(map) {
    if (!map) {
        return null;
    }
    return function (win, doc) {
        var out = {};
        for (var k in map) {
            if (hasOwn.call(map, k)) {
                out[k] = textValues(runProbe(map[k], win, doc));
            }
        }
        return out;
    };
}

// The application recognizers: generic page conventions, tried in this order
// unless a learned order says otherwise. `loose` is the test used when the
// code is not configured; false there means a weak signal that is only
// trusted when content for the code exists.
var REPORT_PATH = '^[a-z]+://[^/?#]+(?:/[^?#]*)?/reports?/([^/?#]+)';
var MODULE_PATH = '^[a-z]+://[^/?#]+/modules/([^/?#]+)/([^/?#]+)';
var TABLE = [
    // Pages that declare themselves (page hooks or meta elements); never detected.
    { code: 'APP', parts: [makePart('C', 'Context ID'), APPLICATION_NAME_PART], useHook: true },
    // Pages that only offer the context hook.
    { code: 'HOOK', detect: [['hook', 'Norvik_GetContext']], useHook: true },
    // An application shell object naming its current page; a shell page
    // without one is matched by its page features.
    { code: 'SHELL', detect: [['global', 'AppShell.currentPage']],
      context: { C: ['global', 'AppShell.currentPage'] } },
    { code: 'SHELL', quenta: true, detect: [['global', 'AppShell'], ['not', ['global', 'AppShell.currentPage']]] },
    { code: 'WORKSPACE', detect: [['global', 'workspace.activeView']],
      parts: [makePart('C', 'Context ID'), makePart('M', 'Module')],
      context: { C: ['global', 'workspace.activeView'], M: ['global', 'workspace.module'] } },
    { code: 'SCREEN', detect: [['global', 'screenInfo.screenId']],
      context: { C: ['global', 'screenInfo.screenId'] } },
    { code: 'DATAPAGE', detect: [['attr', 'body', 'data-page-id']],
      context: { C: ['attr', 'body', 'data-page-id'] } },
    { code: 'HELPID', detect: [['attr', 'html', 'data-help-id']],
      context: { C: ['attr', 'html', 'data-help-id'] } },
    { code: 'METAPAGE', detect: [['meta', 'page-id']],
      context: { C: ['meta', 'page-id'] } },
    { code: 'PORTLETS', detect: [['count', 'div', 'portlet']], contextKind: 2,
      parts: [makePart('C', 'Context ID', true, true, true)],
      context: { C: ['ids', 'div', 'portlet'] } },
    { code: 'WIZARD', detect: [['count', 'div', 'wizard-step']],
      context: { C: ['ids', 'div', 'wizard-step', 'current'] } },
    { code: 'GRID', detect: [['count', 'table', 'data-grid']],
      context: { C: ['ids', 'table', 'data-grid'] } },
    { code: 'NAVFRAMES', topOnly: true, detect: [['frames', 'navigation', 'content']],
      context: { C: ['framepage', 'content'] } },
    { code: 'MENUFRAMES', topOnly: true, detect: [['frames', 'menu', 'main']],
      context: { C: ['framepage', 'main'] } },
    { code: 'DIALOG', topOnly: true, detect: [['winname', '^dlg_']],
      context: { C: ['title'] } },
    { code: 'TXCODE', detect: [['param', 'txcode', 'transaction']],
      context: { C: ['param', 'txcode', 'transaction'] } },
    { code: 'MODPATH', detect: [['url', MODULE_PATH]],
      context: { C: ['url', MODULE_PATH] } },
    { code: 'BODYCLASS', detect: [['classprefix', 'body', 'page-']],
      context: { C: ['classprefix', 'body', 'page-'] } },
    { code: 'REPORT', detect: [['url', REPORT_PATH]], loose: false,
      context: { C: ['url', REPORT_PATH] } },
    { code: 'VIEWPARAM', detect: [['param', 'view', 'screen']], loose: false,
      context: { C: ['param', 'view', 'screen'] } },
    { code: 'HASHROUTE', detect: [['route']], loose: false,
      context: { C: ['route'] } }
];

(function () {
    for (var i = 0; i < TABLE.length; i++) {
        var row = TABLE[i];
        register({
            code: row.code,
            quenta: row.quenta,
            parts: row.parts,
            contextKind: row.contextKind,
            topOnly: row.topOnly,
            useHook: row.useHook,
            detect: makeDetect(row.detect),
            detectLoose: row.loose === false ? null : undefined,
            extract: makeExtract(row.context)
        });
    }
    // The standard recognizer applies to any page and is always tried last.
    register({ code: STANDARD_CODE, quenta: true });
})();

// ---------------------------------------------------------------------------
// Page features for the Quenta recognizers

var TAG_LIMITS = { a: 100, td: 100, tr: 100, div: 100, h1: 15, h2: 15, h3: 15 };

// Most distinct values kept per feature key; 0 keeps none, -1 all. Address
// features have sub-keys: H host, P1.. path parts, Q parameters.
var PART_LIMITS = {
    'GAA.H': 1, 'GAA.P1': 1, 'GAA.P2': 1, 'GAA.P3': 1, 'GAA.P4': 1, 'GAA.Q': 5,
    GAB: 30, GAC: 20, 'GAD.H': 5, 'GAD.P1': 20, 'GAD.P2': 20, 'GAD.Q': 0,
    GAE: 30, GAF: 30, GAG: 20, GAH: 20, GAI: 20, GAJ: 20, GAK: 10,
    GAL: 10, 'GAM.H': 5, 'GAM.P1': 10, 'GAM.P2': 10, 'GAM.Q': 0,
    GAN: 20, GAO: 10, GAP: 20, GAQ: 20, GAR: 20,
    GAS: 5, GAT: 10, GAU: 10, GAV: 1, GAW: 30, GAX: 25, GBA: 10, GAY: 20, GAZ: 30
};

// The library copies the context into fixed fields of shared memory and cuts
// what does not fit; texts are cut here at a whole item instead, so that the
// JSON stays whole and no search term is left half.
var CONTEXT_LIST_CAPACITY = 32767;
var SEARCH_EXPRESSION_CAPACITY = 1023;

var PAGE_ADDRESS = { paramCount: 5, pathPartCount: 4 };
var LINK_ADDRESS = { paramCount: 0, pathPartCount: 2 };

// Longer texts say nothing more about the page and would crowd the list.
var MAX_VALUE_LENGTH = 128;

function FeatureSet(unlimited) {
    this.unlimited = unlimited;
    this.list = [];
    this.seen = {};
    this.counts = {};
}

FeatureSet.prototype.add = function (key, value) {
    if (isNothing(value)) {
        return;
    }
    var v = trim(String(value).replace(/[\s\u00a0]+/g, ' ')).toLowerCase();
    if (!v) {
        return;
    }
    if (v.length > MAX_VALUE_LENGTH) {
        v = v.substring(0, MAX_VALUE_LENGTH);
    }
    var id = key + '\n' + v;
    if (hasOwn.call(this.seen, id)) {
        return;
    }
    var count = this.counts[key] || 0;
    if (!this.unlimited) {
        var limit = hasOwn.call(PART_LIMITS, key) ? PART_LIMITS[key] : -1;
        if (limit >= 0 && count >= limit) {
            return;
        }
    }
    this.seen[id] = true;
    this.counts[key] = count + 1;
    this.list.push([key, v]);
};

// Splits an address into host, the first path parts and the first
// parameters; record numbers become '#' so that one screen gives one value.
function splitAddress(url, family) {
    var out = [];
    var m = /^(?:([a-z][a-z0-9+.\-]*):)?(?:\/\/([^\/?#]*))?([^?#]*)(\?[^#]*)?/i.exec(String(url || ''));
    if (!m) {
        return out;
    }
    if (m[2]) {
        out.push(['H', m[2].replace(/^[^@]*@/, '').replace(/:[0-9]*$/, '').toLowerCase()]);
    }
    var segs = pathSegments(m[3]);
    for (var i = 0; i < segs.length && i < family.pathPartCount; i++) {
        out.push(['P' + (i + 1), /^[0-9]+$/.test(segs[i]) ? '#' : segs[i]]);
    }
    var params = queryParams(m[4]);
    for (var j = 0; j < params.length && j < family.paramCount; j++) {
        var value = params[j][1];
        out.push(['Q', params[j][0] + '=' + (/^[0-9]+$/.test(value) ? '#' : value)]);
    }
    return out;
}

function addAddress(set, key, url, family) {
    var pieces = splitAddress(url, family);
    for (var i = 0; i < pieces.length; i++) {
        set.add(key + '.' + pieces[i][0], pieces[i][1]);
    }
}

// The form kept of a script handler: the name of the function it calls,
// without its arguments, which mostly carry record numbers.
function handlerForm(text) {
    var s = trim(String(text || '')).replace(/^javascript:/i, '');
    s = trim(s).replace(/^return\s+/, '');
    var m = /^([A-Za-z_$][\w$.]*)\s*\(/.exec(s);
    return m ? m[1] : s;
}

function clickHandler(el) {
    var a = attr(el, 'onclick');
    if (a) {
        return a;
    }
    try {
        if (typeof el.onclick === 'function') {
            return handlerBody(el.onclick);
        }
    } catch (e) {
    }
    return '';
}

function idOrName(el) {
    return el.id || attr(el, 'name');
}

function titleOrAlt(el) {
    return attr(el, 'title') || attr(el, 'alt');
}

// The tags that give page features, under each name an element's tagName may
// carry: upper case for HTML elements, the tag itself for others (a link of
// inline SVG counts, as getElementsByTagName counts it).
var FEATURE_TAGS = {};
(function () {
    var tags = ['a', 'button', 'input', 'label', 'td', 'tr', 'textarea', 'form', 'div', 'span', 'img',
        'h1', 'h2', 'h3', 'object', 'embed', 'select', 'th'];
    for (var i = 0; i < tags.length; i++) {
        FEATURE_TAGS[tags[i]] = tags[i];
        FEATURE_TAGS[tags[i].toUpperCase()] = tags[i];
    }
})();

// The feature elements of a document grouped by tag, each group in document
// order, from one walk: asking for each tag apart walks the page each time.
function featureElements(doc) {
    var all = doc.getElementsByTagName('*');
    var count = all.length;
    var byTag = {};
    for (var i = 0; i < count; i++) {
        var el = all[i];
        var name = el.tagName;
        if (!hasOwn.call(FEATURE_TAGS, name)) {
            continue;
        }
        var tag = FEATURE_TAGS[name];
        if (name !== tag && !isHtmlElement(el)) {
            continue;
        }
        if (hasOwn.call(byTag, tag)) {
            byTag[tag].push(el);
        } else {
            byTag[tag] = [el];
        }
    }
    return byTag;
}

function tagsOf(byTag, tag, unlimited) {
    var els = hasOwn.call(byTag, tag) ? byTag[tag] : [];
    if (!unlimited && hasOwn.call(TAG_LIMITS, tag) && els.length > TAG_LIMITS[tag]) {
        return [];
    }
    return els;
}

function collectFeatures(win, doc, unlimited) {
    var set = new FeatureSet(unlimited);
    var byTag = featureElements(doc);
    var els, el, i, h, v;

    var url = '';
    try {
        url = win.location.href;
    } catch (e) {
        url = doc.URL;
    }
    addAddress(set, 'GAA', url, PAGE_ADDRESS);

    els = tagsOf(byTag, 'a', unlimited);
    for (i = 0; i < els.length; i++) {
        el = els[i];
        v = titleOrAlt(el);
        if (v) {
            set.add('GAB', v);
            continue;
        }
        h = clickHandler(el);
        if (!h && /^javascript:/i.test(attr(el, 'href'))) {
            h = attr(el, 'href');
        }
        if (h) {
            set.add('GAC', handlerForm(h));
        } else if (el.id) {
            addAddress(set, 'GAD', el.href || attr(el, 'href'), LINK_ADDRESS);
        }
    }

    els = tagsOf(byTag, 'button', unlimited);
    for (i = 0; i < els.length; i++) {
        set.add('GAE', idOrName(els[i]) || textOf(els[i]));
    }
    els = tagsOf(byTag, 'input', unlimited);
    for (i = 0; i < els.length; i++) {
        el = els[i];
        var type = String(el.type || attr(el, 'type') || 'text').toLowerCase();
        if (type === 'button' || type === 'submit' || type === 'reset') {
            set.add('GAE', idOrName(el) || el.value);
        }
        set.add(type === 'hidden' ? 'GAX' : 'GAW', type + ';' + (attr(el, 'name') || el.id));
    }
    els = tagsOf(byTag, 'label', unlimited);
    for (i = 0; i < els.length; i++) {
        set.add('GAF', idOrName(els[i]) || textOf(els[i]));
    }

    addClickable(set, tagsOf(byTag, 'td', unlimited), 'GAG', 'GAH');
    addClickable(set, tagsOf(byTag, 'tr', unlimited), 'GAI', 'GAJ');

    els = tagsOf(byTag, 'textarea', unlimited);
    for (i = 0; i < els.length; i++) {
        set.add('GAK', idOrName(els[i]));
    }

    els = tagsOf(byTag, 'form', unlimited);
    for (i = 0; i < els.length; i++) {
        set.add('GAL', idOrName(els[i]));
        var action = attr(els[i], 'action');
        if (action) {
            addAddress(set, 'GAM', action, LINK_ADDRESS);
        }
    }

    els = tagsOf(byTag, 'div', unlimited);
    for (i = 0; i < els.length; i++) {
        el = els[i];
        h = clickHandler(el);
        if (!h) {
            continue;
        }
        v = idOrName(el) || titleOrAlt(el);
        if (v) {
            set.add('GAN', v);
        } else {
            set.add('GAO', handlerForm(h));
        }
        set.add('GAP', el.className);
    }

    els = tagsOf(byTag, 'span', unlimited);
    for (i = 0; i < els.length; i++) {
        set.add('GAQ', titleOrAlt(els[i]));
    }

    els = tagsOf(byTag, 'img', unlimited);
    for (i = 0; i < els.length; i++) {
        el = els[i];
        var parent = el.parentNode;
        var inLink = parent && String(parent.nodeName).toLowerCase() === 'a';
        if (clickHandler(el) || inLink) {
            set.add('GAR', idOrName(el) || titleOrAlt(el));
        }
    }

    addTexts(set, byTag, 'h1', 'GAS', unlimited);
    addTexts(set, byTag, 'h2', 'GAT', unlimited);
    addTexts(set, byTag, 'h3', 'GAU', unlimited);
    set.add('GAV', doc.title);

    addObjects(set, tagsOf(byTag, 'object', unlimited));
    addObjects(set, tagsOf(byTag, 'embed', unlimited));

    els = tagsOf(byTag, 'select', unlimited);
    for (i = 0; i < els.length; i++) {
        set.add('GAY', idOrName(els[i]));
    }
    els = tagsOf(byTag, 'th', unlimited);
    for (i = 0; i < els.length; i++) {
        el = els[i];
        set.add('GAZ', attr(el, 'title') || el.id || attr(el, 'name') || textOf(el));
    }
    return set.list;
}

function addClickable(set, els, idKey, titleKey) {
    for (var i = 0; i < els.length; i++) {
        if (!clickHandler(els[i])) {
            continue;
        }
        var v = idOrName(els[i]);
        if (v) {
            set.add(idKey, v);
        } else {
            set.add(titleKey, titleOrAlt(els[i]));
        }
    }
}

function addTexts(set, byTag, tag, key, unlimited) {
    var els = tagsOf(byTag, tag, unlimited);
    for (var i = 0; i < els.length; i++) {
        set.add(key, textOf(els[i]));
    }
}

function addObjects(set, els) {
    for (var i = 0; i < els.length; i++) {
        var el = els[i];
        var what = attr(el, 'classid') || attr(el, 'codebase') || attr(el, 'type');
        set.add('GBA', what + ';' + String(attr(el, 'name') || el.id || '').replace(/[0-9]/g, ''));
    }
}

// Builds the feature list of a context: repeated pairs dropped, grouped by
// key with the smaller groups (the more telling ones) first.
function featureList(features, maxSearch) {
    var groups = {};
    var keys = [];
    var seen = {};
    var i, j, key;
    for (i = 0; i < features.length; i++) {
        key = features[i][0];
        var id = key + '\n' + features[i][1];
        if (hasOwn.call(seen, id)) {
            continue;
        }
        seen[id] = true;
        if (!hasOwn.call(groups, key)) {
            groups[key] = [];
            keys.push(key);
        }
        groups[key].push(features[i][1]);
    }
    keys.sort(function (a, b) {
        var d = groups[a].length - groups[b].length;
        return d !== 0 ? d : (a < b ? -1 : (a > b ? 1 : 0));
    });
    var out = [];
    var length = 2;
    for (i = 0; i < keys.length; i++) {
        for (j = 0; j < groups[keys[i]].length; j++) {
            var item = keys[i] + ':' + groups[keys[i]][j];
            length += toJson(item).length + (out.length ? 1 : 0);
            if ((maxSearch >= 0 && out.length >= maxSearch) || length > CONTEXT_LIST_CAPACITY) {
                return out;
            }
            out.push(item);
        }
    }
    return out;
}

// ---------------------------------------------------------------------------
// Browser descriptor

function isDescriptor(d) {
    try {
        return !isNothing(d) && typeof d === 'object' && d.ClassId === DESCRIPTOR_CLASS;
    } catch (e) {
        return false;
    }
}

function makeStat(rec, configured) {
    return { key: rec.key, code: rec.code, configured: configured, count: 0, total: 0, largest: 0 };
}

function addTime(stat, started) {
    var ms = now() - started;
    stat.count++;
    stat.total += ms;
    if (ms > stat.largest) {
        stat.largest = ms;
    }
}

function createDescriptor(order, configured, disabled, playback) {
    if (!(isNothing(order) || isString(order)) || !(isNothing(configured) || isString(configured))) {
        return null;
    }
    var orderCodes = splitCodes(order);
    var configuredCodes = splitCodes(configured);
    var configuredSet = codeSet(configuredCodes);
    var allConfigured = !configuredCodes.length;
    var disabledSet = codeSet(splitCodes(disabled));

    var trialList = orderCodes.length ? orderCodes.concat([STANDARD_CODE]) : registry.codes.slice(0);
    var desc = {
        ClassId: DESCRIPTOR_CLASS,
        created: stamp(),
        stats: {},
        statsList: [],
        trial: [],
        leftOut: [],
        standard: null,
        activeDetection: false,
        playback: !!playback,
        frames: [],
        leaders: {},
        groups: {},
        leaderGroups: {},
        maxLeader: -1,
        identified: {},
        entries: {},
        isCopy: false
    };
    var taken = {};
    var listed = {};
    for (var i = 0; i < trialList.length; i++) {
        var code = trialList[i];
        var recs = hasOwn.call(registry.byCode, code) ? registry.byCode[code] : null;
        var standard = code === STANDARD_CODE;
        if (hasOwn.call(taken, code)) {
            continue;
        }
        if (standard || !recs || hasOwn.call(disabledSet, code)) {
            if (!hasOwn.call(listed, code)) {
                listed[code] = true;
                desc.leftOut.push(code);
            }
            if (!standard) {
                continue;
            }
        }
        taken[code] = true;
        for (var j = 0; j < recs.length; j++) {
            var stat = makeStat(recs[j], allConfigured || hasOwn.call(configuredSet, code));
            desc.stats[recs[j].key] = stat;
            desc.statsList.push(stat);
            if (standard) {
                desc.standard = stat;
            } else {
                desc.trial.push(stat);
                if (recs[j].detect || recs[j].detectLoose) {
                    desc.activeDetection = true;
                }
            }
        }
    }
    return desc;
}

function resetIdentification(desc) {
    desc.identified = {};
    desc.entries = {};
}

function setFrames(desc, frames, parents, values, leaders) {
    var valueList = isNothing(values) ? null : toScriptArray(values);
    var leaderList = isNothing(leaders) ? null : toScriptArray(leaders);
    frames = toScriptArray(frames);
    parents = toScriptArray(parents);
    if (!frames || !parents || !frames.length || frames.length !== parents.length) {
        return false;
    }
    var n = frames.length;
    if ((!isNothing(values) && (!valueList || valueList.length !== n)) ||
            (!isNothing(leaders) && (!leaderList || leaderList.length !== n))) {
        return false;
    }
    values = valueList;
    leaders = leaderList;
    // Indexes come from the collection walk, which lists parents and leaders
    // before their frames; anything else would send the grouping in circles.
    var i;
    for (i = 0; i < n; i++) {
        if (!isIndex(parents[i], -1, i - 1) || (leaders && !isIndex(leaders[i], 0, i))) {
            return false;
        }
    }

    var records = [];
    var byLeader = {};
    var byGroup = {};
    var leaderGroups = {};
    var maxLeader = 0;
    for (i = 0; i < n; i++) {
        var leader = leaders ? leaders[i] : 0;
        var parent = parents[i];
        var group = parent < 0 || records[parent].leader !== leader ? i : records[parent].group;
        var f = {
            index: i,
            parent: parent,
            leader: leader,
            group: group,
            win: frames[i],
            value: values ? values[i] : null,
            name: '',
            domain: null,
            reachable: false,
            method: METHOD_NONE,
            key: null,
            score: 0,
            declared: null,
            shared: false,
            values: null,
            features: null
        };
        records.push(f);
        if (!hasOwn.call(byLeader, leader)) {
            byLeader[leader] = [];
            leaderGroups[leader] = [];
        }
        byLeader[leader].push(i);
        if (!hasOwn.call(byGroup, group)) {
            byGroup[group] = [];
            leaderGroups[leader].push(group);
        }
        byGroup[group].push(i);
        if (leader > maxLeader) {
            maxLeader = leader;
        }
    }
    desc.frames = records;
    desc.leaders = byLeader;
    desc.groups = byGroup;
    desc.leaderGroups = leaderGroups;
    desc.maxLeader = maxLeader;
    desc.created = stamp();
    resetIdentification(desc);
    return true;
}

function copyDescriptor(desc) {
    var copy = {}, k;
    for (k in desc) {
        if (hasOwn.call(desc, k)) {
            copy[k] = desc[k];
        }
    }
    // Statistics records are shared so that work done for the opener is
    // counted; the trial order is the copy's own.
    copy.trial = desc.trial.slice(0);
    copy.isCopy = true;
    copy.frames = [];
    copy.leaders = {};
    copy.groups = {};
    copy.leaderGroups = {};
    copy.maxLeader = -1;
    resetIdentification(copy);
    return copy;
}

// ---------------------------------------------------------------------------
// Page declarations

function parseNamespace(v) {
    var values = textValues(v);
    if (!values.length) {
        return null;
    }
    var pieces = values[0].split(';');
    var code = trim(pieces[0]).toUpperCase();
    if (!/^[A-Z0-9_]+$/.test(code)) {
        return null;
    }
    return { ns: values[0], code: code, version: pieces.length > 1 ? trim(pieces[1]) : '' };
}

function parseTags(v) {
    if (isString(v)) {
        return textValues(v.split(','));
    }
    return textValues(v);
}

// A declared context is a text (the context id), a list of texts, an object
// of part keys and values, or, in a meta element, "C=...&MA=..." pairs.
function parseDeclaredContext(v, fromMeta) {
    var parts = new PartsBuilder();
    var k;
    if (isNothing(v)) {
        return parts.parts;
    }
    if (typeof v === 'number') {
        v = String(v);
    }
    if (isString(v)) {
        if (fromMeta && v.indexOf('=') >= 0) {
            var pairs = queryParams(v);
            for (var i = 0; i < pairs.length; i++) {
                parts.add(trim(pairs[i][0]).toUpperCase(), textValues(pairs[i][1]), true);
            }
            return parts.parts;
        }
        parts.add('C', textValues(v), true);
        return parts.parts;
    }
    if (isArray(v)) {
        parts.add('C', textValues(v), true);
        return parts.parts;
    }
    if (typeof v === 'object') {
        try {
            for (k in v) {
                if (hasOwn.call(v, k) && /^[A-Za-z0-9_]+$/.test(k)) {
                    parts.add(k.toUpperCase(), textValues(v[k]), true);
                }
            }
        } catch (e) {
        }
    }
    return parts.parts;
}

function readDeclaration(win, doc) {
    var ns = windowFunction(win, 'Norvik_GetNamespace') ?
        callWindowFunction(win, 'Norvik_GetNamespace') : metaContent(doc, 'norvik-namespace');
    var parsed = parseNamespace(ns);
    if (!parsed) {
        return null;
    }
    var tags = windowFunction(win, 'Norvik_GetTags') ?
        callWindowFunction(win, 'Norvik_GetTags') : metaContent(doc, 'norvik-tags');
    var context;
    if (windowFunction(win, 'Norvik_GetContext')) {
        context = parseDeclaredContext(callWindowFunction(win, 'Norvik_GetContext'), false);
    } else {
        context = parseDeclaredContext(metaContent(doc, 'norvik-context'), true);
    }
    return { ns: parsed.ns, code: parsed.code, version: parsed.version, tags: parseTags(tags), parts: context };
}

function declarationToArray(d) {
    return d ? [d.ns, d.code, d.version, d.tags, d.parts] : null;
}

function declarationFromArray(a) {
    if (!isArray(a) || a.length !== 5 || !isString(a[0]) || !isString(a[1]) || !isString(a[2])) {
        return null;
    }
    return { ns: a[0], code: a[1], version: a[2], tags: textValues(a[3]), parts: cleanParts(a[4]) };
}

// ---------------------------------------------------------------------------
// Caches in the page documents

function findCacheMeta(doc, name) {
    var metas = elementsByTag(doc, 'meta');
    for (var i = 0; i < metas.length; i++) {
        if (attr(metas[i], 'name') === CACHE_PREFIX + name) {
            return metas[i];
        }
    }
    return null;
}

function readCache(doc, name, classId, size) {
    try {
        var meta = findCacheMeta(doc, name);
        if (!meta) {
            return null;
        }
        var data = parseJson(decodeURIComponent(attr(meta, 'content')));
        if (!isArray(data) || data.length !== size || data[0] !== classId) {
            return null;
        }
        return data;
    } catch (e) {
        return null;
    }
}

function writeCache(doc, name, data, memo) {
    try {
        var meta = findCacheMeta(doc, name);
        if (!meta) {
            meta = doc.createElement('meta');
            // Old document modes take the name of a created element only as
            // a property.
            meta.name = CACHE_PREFIX + name;
            meta.setAttribute('name', CACHE_PREFIX + name);
            meta.id = CACHE_PREFIX + name;
            var head = doc.getElementsByTagName('head')[0] || doc.documentElement;
            head.appendChild(meta);
        }
        meta.setAttribute('content', encodeURIComponent(toJson(data, memo)));
    } catch (e) {
    }
}

function readDocumentContext(doc) {
    var data = readCache(doc, 'DocumentContext', DOCCONTEXT_CLASS, 4);
    if (!data || !isString(data[1])) {
        return null;
    }
    return { key: data[1], application: data[2], context: cleanParts(data[3]) };
}

// ---------------------------------------------------------------------------
// Identification

function isWaiting(f) {
    return f.reachable && (f.method === METHOD_NONE || f.method === METHOD_STANDARD);
}

function takeResult(f, from) {
    f.method = from.method;
    f.key = from.key;
    f.score = from.score;
    f.shared = true;
}

function framesOfLeader(desc, leader) {
    var out = [];
    var list = hasOwn.call(desc.leaders, leader) ? desc.leaders[leader] : [];
    for (var i = 0; i < list.length; i++) {
        out.push(desc.frames[list[i]]);
    }
    return out;
}

function sameLeaderParent(desc, f) {
    if (f.parent < 0) {
        return null;
    }
    var p = desc.frames[f.parent];
    return p && p.leader === f.leader && p.reachable ? p : null;
}

// Results pass from parents to children, and from children up to parents
// still waiting, within one leader, until nothing changes.
function shareResults(desc, frames, upwards) {
    var changed = true;
    while (changed) {
        changed = false;
        for (var i = 0; i < frames.length; i++) {
            var f = frames[i];
            var p = sameLeaderParent(desc, f);
            if (!p) {
                continue;
            }
            if (isWaiting(f) && !isWaiting(p)) {
                takeResult(f, p);
                changed = true;
            } else if (upwards && isWaiting(p) && !isWaiting(f)) {
                takeResult(p, f);
                changed = true;
            }
        }
    }
}

function recognizerOf(key) {
    return key && hasOwn.call(registry.byKey, key) ? registry.byKey[key] : null;
}

function detectFrame(desc, f) {
    var top = isTopWindow(f.win, f.parent);
    for (var i = 0; i < desc.trial.length; i++) {
        var stat = desc.trial[i];
        var rec = recognizerOf(stat.key);
        if (!rec || (rec.topOnly && !top)) {
            continue;
        }
        var test = stat.configured ? rec.detect : rec.detectLoose;
        if (!test) {
            continue;
        }
        var started = now();
        var result;
        try {
            result = test(f.win, f.doc);
        } catch (e) {
            result = false;
        }
        addTime(stat, started);
        if (result === true || (typeof result === 'number' && result > 0)) {
            f.method = METHOD_DETECTED;
            f.key = rec.key;
            f.score = result === true ? 0 : result;
            f.shared = false;
            desc.trial.splice(i, 1);
            desc.trial.unshift(stat);
            return true;
        }
    }
    return false;
}

function openerTopFrames(top, domain) {
    var wins = [];
    var parents = [];
    function walk(win, parent) {
        if (domainOf(win) !== domain || !documentOf(win)) {
            return;
        }
        var index = wins.length;
        wins.push(win);
        parents.push(parent);
        try {
            for (var i = 0; i < win.frames.length && wins.length < 200; i++) {
                walk(win.frames[i], index);
            }
        } catch (e) {
        }
    }
    walk(top, -1);
    return { wins: wins, parents: parents };
}

function climbForContext(win, domain) {
    for (var guard = 0; win && guard < 50; guard++) {
        if (domainOf(win) !== domain) {
            return null;
        }
        var doc = documentOf(win);
        var found = doc ? readDocumentContext(doc) : null;
        if (found) {
            return found;
        }
        var parent;
        try {
            parent = win.parent;
        } catch (e) {
            return null;
        }
        if (!parent || parent === win) {
            return null;
        }
        win = parent;
    }
    return null;
}

function usableOpenerContext(desc, found) {
    return found && found.key !== desc.standard.key && hasOwn.call(desc.stats, found.key) &&
        recognizerOf(found.key) ? found : null;
}

function contextFromOpener(desc, f) {
    var opener;
    try {
        opener = f.win.opener;
    } catch (e) {
        return null;
    }
    if (!opener || opener === f.win) {
        return null;
    }
    var domain = domainOf(f.win);
    if (domain === null) {
        return null;
    }
    var found = usableOpenerContext(desc, climbForContext(opener, domain));
    // The copy does not look further back, so a chain of openers cannot
    // lead round in a circle.
    if (!found && !desc.isCopy) {
        var top;
        try {
            top = opener.top;
        } catch (e) {
            top = null;
        }
        if (top && domainOf(top) === domain) {
            var copy = copyDescriptor(desc);
            var walk = openerTopFrames(top, domain);
            if (walk.wins.length && setFrames(copy, walk.wins, walk.parents, null, null)) {
                identifyLeader(copy, 0);
                found = usableOpenerContext(desc, climbForContext(opener, domain));
            }
        }
    }
    return found;
}

function extractValues(rec, f) {
    var parts = new PartsBuilder();
    if (f.method === METHOD_DECLARED && f.declared) {
        return f.declared.parts;
    }
    if (rec.contextKind === 0 || rec.contextKind === 3) {
        return parts.parts;
    }
    var raw = null;
    if (rec.useHook && windowFunction(f.win, 'Norvik_GetContext')) {
        var hooked = parseDeclaredContext(callWindowFunction(f.win, 'Norvik_GetContext'), false);
        if (partsHaveValues(hooked)) {
            return hooked;
        }
    }
    if (rec.extract) {
        try {
            raw = rec.extract(f.win, f.doc);
        } catch (e) {
            raw = null;
        }
    }
    if (raw) {
        for (var i = 0; i < rec.parts.length; i++) {
            var part = rec.parts[i];
            if (hasOwn.call(raw, part.key)) {
                parts.add(part.key, raw[part.key], part.multi);
            }
        }
    }
    return parts.parts;
}

function combineValues(rec, frames) {
    var parts = new PartsBuilder();
    var i, j;
    if (rec.contextKind === 1) {
        // The innermost frame that names a place says most about it.
        for (i = frames.length - 1; i >= 0; i--) {
            if (partsHaveValues(frames[i].values)) {
                return frames[i].values;
            }
        }
        return parts.parts;
    }
    if (rec.contextKind === 2) {
        for (i = 0; i < frames.length; i++) {
            var values = frames[i].values || [];
            for (j = 0; j < values.length; j++) {
                var def = findPart(rec, values[j][0]);
                parts.add(values[j][0], values[j][1], def ? def.multi : true);
            }
        }
    }
    return parts.parts;
}

function applicationContext(rec, entry) {
    var declared = null;
    for (var i = 0; i < entry.frames.length && !declared; i++) {
        declared = entry.frames[i].declared;
    }
    var name = partValues(entry.values, 'MA');
    var language = '';
    try {
        language = String(entry.frames[0].doc.documentElement.lang || '');
    } catch (e) {
    }
    return {
        ClassId: APPLICATION_CLASS,
        Key: rec.key,
        Name: name.length ? name[0] : rec.code,
        NsName: declared ? declared.ns : rec.code,
        Language: language,
        Version: declared ? declared.version : '',
        TagList: declared ? declared.tags : [],
        Parts: entry.values
    };
}

function buildEntries(desc, leader) {
    var entries = [];
    var groups = hasOwn.call(desc.leaderGroups, leader) ? desc.leaderGroups[leader] : [];
    for (var g = 0; g < groups.length; g++) {
        var members = [];
        var key = null;
        var list = desc.groups[groups[g]];
        var i, f;
        for (i = 0; i < list.length; i++) {
            f = desc.frames[list[i]];
            if (f.reachable && f.key) {
                members.push(f);
                if (!key || (key === desc.standard.key && f.key !== key)) {
                    key = f.key;
                }
            }
        }
        if (!key) {
            continue;
        }
        var rec = recognizerOf(key);
        var entry = { group: groups[g], key: key, frames: [], values: [] };
        for (i = 0; i < members.length; i++) {
            f = members[i];
            if (f.key === key) {
                if (!f.values) {
                    f.values = extractValues(rec, f);
                }
                if (rec.contextKind === 3 && desc.playback && !f.features) {
                    f.features = collectFeatures(f.win, f.doc, true);
                }
                entry.frames.push(f);
            }
        }
        entry.values = combineValues(rec, entry.frames);
        entry.application = applicationContext(rec, entry);
        entries.push(entry);
    }
    return entries;
}

function writeCaches(desc, entries) {
    var memo = { values: [], texts: [] };
    for (var e = 0; e < entries.length; e++) {
        var entry = entries[e];
        var hasContext = partsHaveValues(entry.values);
        for (var i = 0; i < entry.frames.length; i++) {
            var f = entry.frames[i];
            writeCache(f.doc, 'DocumentMeta', [META_CLASS, desc.created, f.shared, f.method, f.key, f.score,
                declarationToArray(f.declared), f.values || null], memo);
            if (hasContext || desc.playback) {
                writeCache(f.doc, 'DocumentContext', [DOCCONTEXT_CLASS, entry.key, entry.application, entry.values],
                    memo);
            }
        }
    }
}

function identifyLeader(desc, leader) {
    if (hasOwn.call(desc.identified, leader)) {
        return;
    }
    desc.identified[leader] = true;
    var frames = framesOfLeader(desc, leader);
    var i, f, started, cached, stat;

    // 1. Reachable frames, and results cached by an earlier run of this descriptor.
    for (i = 0; i < frames.length; i++) {
        f = frames[i];
        f.doc = documentOf(f.win);
        f.reachable = !!f.doc;
        if (!f.reachable) {
            continue;
        }
        try {
            f.name = String(f.win.name || '');
        } catch (e) {
            f.name = '';
        }
        if (f.index === f.leader) {
            f.domain = domainOf(f.win);
        }
        cached = readCache(f.doc, 'DocumentMeta', META_CLASS, 8);
        if (cached && cached[1] === desc.created && isString(cached[4]) && hasOwn.call(desc.stats, cached[4]) &&
                isIndex(cached[3], METHOD_DECLARED, METHOD_STANDARD)) {
            f.shared = cached[2] === true;
            f.method = cached[3];
            f.key = cached[4];
            f.score = typeof cached[5] === 'number' ? cached[5] : 0;
            f.declared = declarationFromArray(cached[6]);
            f.values = cached[7] === null ? null : cleanParts(cached[7]);
        }
    }

    // 2. Page-declared applications.
    for (i = 0; i < frames.length; i++) {
        f = frames[i];
        if (!isWaiting(f)) {
            continue;
        }
        started = now();
        var declared = readDeclaration(f.win, f.doc);
        if (declared && hasOwn.call(desc.stats, declared.code + ':X')) {
            stat = desc.stats[declared.code + ':X'];
            f.method = METHOD_DECLARED;
            f.key = stat.key;
            f.score = 0;
            f.declared = declared;
            f.values = null;
            f.shared = false;
            addTime(stat, started);
        }
    }
    shareResults(desc, frames, false);

    // 3. Detection.
    if (desc.activeDetection) {
        for (i = 0; i < frames.length; i++) {
            if (isWaiting(frames[i])) {
                detectFrame(desc, frames[i]);
            }
        }
        shareResults(desc, frames, true);
    }

    // 4. The context of the window that opened this one.
    for (i = 0; i < frames.length; i++) {
        f = frames[i];
        if (isWaiting(f) && f.parent === -1 && isTopWindow(f.win, f.parent)) {
            var found = contextFromOpener(desc, f);
            if (found) {
                f.method = METHOD_OPENER;
                f.key = found.key;
                f.score = 0;
                f.values = found.context;
                f.shared = false;
            }
        }
    }

    // 5. Everything else is a plain page.
    for (i = 0; i < frames.length; i++) {
        f = frames[i];
        if (isWaiting(f)) {
            f.method = METHOD_STANDARD;
            f.key = desc.standard.key;
            f.score = 0;
            f.shared = false;
        }
    }

    // 6. One context entry per window group, and the caches.
    var entries = buildEntries(desc, leader);
    desc.entries[leader] = entries;
    writeCaches(desc, entries);
}

function allIdentified(desc) {
    for (var leader in desc.leaders) {
        if (hasOwn.call(desc.leaders, leader) && !hasOwn.call(desc.identified, leader)) {
            return false;
        }
    }
    return true;
}

// ---------------------------------------------------------------------------
// Contexts

function playbackContext(application, type) {
    return {
        ClassId: PLAYBACK_CLASS,
        Application: application,
        Type: type,
        SearchExpression: '',
        SearchExpressionTree: null,
        ContextList: '',
        Defaults: ''
    };
}

function ensureFeatures(desc, f) {
    if (!f.features && f.reachable) {
        try {
            f.features = collectFeatures(f.win, f.doc, desc.playback);
        } catch (e) {
            f.features = [];
        }
    }
    return f.features || [];
}

function standardEntry(desc) {
    var entry = { key: desc.standard.key, frames: [], values: [] };
    for (var i = 0; i < desc.frames.length; i++) {
        var f = desc.frames[i];
        if (f.key === desc.standard.key && f.features) {
            entry.frames.push(f);
        }
    }
    return entry.frames.length ? entry : null;
}

function searchTerms(rec, values) {
    var terms = [];
    var length = -1;
    var names = rec.code === 'APP' ? partValues(values, 'MA') : [];
    for (var i = 0; i < values.length; i++) {
        var part = findPart(rec, values[i][0]);
        if (values[i][0] === 'MA' || (part && !part.search)) {
            continue;
        }
        for (var j = 0; j < values[i][1].length; j++) {
            var term = names.length ? names[0] + '.' + values[i][1][j] : values[i][1][j];
            if (indexOf(terms, term) < 0) {
                length += term.length + 1;
                if (length > SEARCH_EXPRESSION_CAPACITY) {
                    return terms;
                }
                terms.push(term);
            }
        }
    }
    return terms;
}

function getPlaybackContext(desc, leader) {
    identifyLeader(desc, leader);
    var entries = desc.entries[leader] || [];
    var entry = null;
    var i;
    for (i = 0; i < entries.length && !entry; i++) {
        if (entries[i].key !== desc.standard.key) {
            entry = entries[i];
        }
    }
    if (!entry) {
        // Plain pages of this leader give their features; the context of all
        // plain frames is built once the last leader is asked.
        for (i = 0; i < entries.length; i++) {
            for (var j = 0; j < entries[i].frames.length; j++) {
                ensureFeatures(desc, entries[i].frames[j]);
            }
        }
        if (leader !== desc.maxLeader && !allIdentified(desc)) {
            return null;
        }
        entry = standardEntry(desc);
    }

    var key = entry ? entry.key : desc.standard.key;
    var rec = recognizerOf(key);
    var stat = hasOwn.call(desc.stats, key) ? desc.stats[key] : null;
    var code = rec ? rec.code : key.split(':')[0];

    var features = [];
    if (entry && rec && rec.contextKind === 3) {
        for (i = 0; i < entry.frames.length; i++) {
            features = features.concat(ensureFeatures(desc, entry.frames[i]));
        }
    }
    var hasValues = rec && (rec.contextKind === 3 ? features.length > 0 : partsHaveValues(entry && entry.values));
    if (!entry || !hasValues || !stat || !stat.configured) {
        return playbackContext(code, 'nomatch');
    }

    var context;
    if (rec.contextKind === 3) {
        var s = rec.settings;
        context = playbackContext(code, 'quenta');
        context.ContextList = toJson(featureList(features, desc.playback ? -1 : s.MaxSearch));
        context.Defaults = toJson({ MaxSearch: s.MaxSearch, MaxHit: s.MaxHit, Threshold: s.Threshold, MinScore: s.MinScore });
        return context;
    }
    var terms = searchTerms(rec, entry.values);
    context = playbackContext(code, 'exactmatch');
    context.SearchExpression = terms.join('-');
    context.SearchExpressionTree = terms.length > 1 ? toJson({ Operator: 'OR', Terms: terms }) : null;
    return context;
}

function xmlEscape(s) {
    return String(s).replace(/&/g, '&amp;').replace(/</g, '&lt;').replace(/>/g, '&gt;')
        .replace(/"/g, '&quot;').replace(/'/g, '&apos;');
}

function recorderXml(rec, app) {
    var xml = '<ApplicationContext ClassId="' + xmlEscape(app.ClassId) + '" Key="' + xmlEscape(app.Key) +
        '" Name="' + xmlEscape(app.Name) + '" NsName="' + xmlEscape(app.NsName) +
        '" Language="' + xmlEscape(app.Language) + '" Version="' + xmlEscape(app.Version) + '">';
    var i, j;
    xml += '<TagList>';
    for (i = 0; i < app.TagList.length; i++) {
        xml += '<Tag>' + xmlEscape(app.TagList[i]) + '</Tag>';
    }
    xml += '</TagList><Parts>';
    for (i = 0; i < app.Parts.length; i++) {
        var part = findPart(rec, app.Parts[i][0]);
        if (part && !part.record) {
            continue;
        }
        xml += '<Part Key="' + xmlEscape(app.Parts[i][0]) + '" Caption="' +
            xmlEscape(part ? part.caption : app.Parts[i][0]) + '">';
        for (j = 0; j < app.Parts[i][1].length; j++) {
            xml += '<Value>' + xmlEscape(app.Parts[i][1][j]) + '</Value>';
        }
        xml += '</Part>';
    }
    return xml + '</Parts></ApplicationContext>';
}

// ---------------------------------------------------------------------------
// Public functions. Each one catches its own failures; the library then sees
// an empty result.

Recognition.CreateBrowserDescriptor = function (order, configured, disabled, playback) {
    try {
        return createDescriptor(order, configured, disabled, playback);
    } catch (e) {
        return undefined;
    }
};

Recognition.SetFrames = function (desc, frames, parents, values, leaders) {
    try {
        if (!isDescriptor(desc)) {
            return false;
        }
        return setFrames(desc, frames, parents, values, leaders);
    } catch (e) {
        return undefined;
    }
};

Recognition.ResetFrames = function (desc) {
    try {
        if (!isDescriptor(desc)) {
            return false;
        }
        desc.frames = [];
        desc.leaders = {};
        desc.groups = {};
        desc.leaderGroups = {};
        desc.maxLeader = -1;
        desc.created = stamp();
        resetIdentification(desc);
        return true;
    } catch (e) {
        return undefined;
    }
};

function leaderArgument(desc, leader) {
    if (isNothing(leader)) {
        leader = 0;
    }
    return isIndex(leader, 0, desc.maxLeader) ? leader : null;
}

Recognition.GetIdentifiedApplications = function (desc, leader) {
    try {
        if (!isDescriptor(desc)) {
            return null;
        }
        leader = leaderArgument(desc, leader);
        if (leader === null) {
            return null;
        }
        identifyLeader(desc, leader);
        if (!allIdentified(desc)) {
            return null;
        }
        var keys = [];
        for (var i = 0; i < desc.frames.length; i++) {
            keys.push(desc.frames[i].key || '');
        }
        return keys.join(',');
    } catch (e) {
        return undefined;
    }
};

Recognition.GetApplicationOrder = function (desc) {
    try {
        if (!isDescriptor(desc)) {
            return null;
        }
        var codes = [];
        var i;
        for (i = 0; i < desc.trial.length; i++) {
            if (indexOf(codes, desc.trial[i].code) < 0) {
                codes.push(desc.trial[i].code);
            }
        }
        for (i = 0; i < desc.leftOut.length; i++) {
            if (indexOf(codes, desc.leftOut[i]) < 0) {
                codes.push(desc.leftOut[i]);
            }
        }
        return codes.join(',');
    } catch (e) {
        return undefined;
    }
};

Recognition.GetRecorderContext = function (desc, index) {
    try {
        if (!isDescriptor(desc) || !isIndex(index, 0, desc.frames.length - 1)) {
            return null;
        }
        var f = desc.frames[index];
        identifyLeader(desc, f.leader);
        if (!f.key) {
            return null;
        }
        var rec = recognizerOf(f.key);
        var entries = desc.entries[f.leader] || [];
        for (var i = 0; i < entries.length; i++) {
            if (entries[i].group === f.group && entries[i].key === f.key) {
                return recorderXml(rec, entries[i].application);
            }
        }
        return recorderXml(rec, applicationContext(rec, { frames: [f], values: f.values || [] }));
    } catch (e) {
        return undefined;
    }
};

Recognition.GetPlaybackContext = function (desc, leader) {
    try {
        if (!isDescriptor(desc)) {
            return null;
        }
        leader = leaderArgument(desc, leader);
        if (leader === null) {
            return null;
        }
        return getPlaybackContext(desc, leader);
    } catch (e) {
        return undefined;
    }
};

Recognition.GetStatistics = function (desc) {
    try {
        if (!isDescriptor(desc)) {
            return null;
        }
        var byCode = {};
        var out = [];
        for (var i = 0; i < desc.statsList.length; i++) {
            var s = desc.statsList[i];
            if (s.count) {
                var row = byCode[s.code];
                if (!row) {
                    row = byCode[s.code] = [s.code, 0, 0, 0];
                    out.push(row);
                }
                row[1] += s.count;
                row[2] += s.total;
                if (s.largest > row[3]) {
                    row[3] = s.largest;
                }
            }
            s.count = 0;
            s.total = 0;
            s.largest = 0;
        }
        return out;
    } catch (e) {
        return undefined;
    }
};

Recognition.TestFrames = function (desc) {
    try {
        if (!isDescriptor(desc)) {
            return null;
        }
        var closed = [];
        for (var i = 0; i < desc.frames.length; i++) {
            if (!documentOf(desc.frames[i].win)) {
                closed.push(i);
            }
        }
        return closed.length ? 'Unaccessible:' + closed.join(',') : 'All accessible';
    } catch (e) {
        return undefined;
    }
};
