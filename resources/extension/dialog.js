// Page script shared by the library's message page and options page: browser
// tests, JSON decoding and encoding, and the way to the scriptable object.
//
// It runs in the page's own engine, legacy document modes included: ES3 syntax
// and library only. The JSON object is used only when it is there and passes
// the self-test below; otherwise the fallback parser and encoder serve.

// The page's scriptable object, once GetComp has found one.
var hintora = null;

// Contract identifier of the companion extension's component in Firefox.
var HINTORA_FF_CONTRACT = "@hintora/companion;1";

function IsString(v) {
    return typeof v === "string";
}

function IsArray(v) {
    return Object.prototype.toString.call(v) === "[object Array]";
}

// Internet Explorer 11 calls itself "Netscape" in its standards modes, so
// its engine name in the user agent counts too; without it the options page
// would look for the Firefox component there and never reach the library.
function IsIE() {
    var nav = window.navigator;
    if (!nav) {
        return false;
    }
    if (nav.appName === "Microsoft Internet Explorer") {
        return true;
    }
    return IsString(nav.userAgent) && nav.userAgent.indexOf("Trident/") >= 0;
}

function IsFF() {
    var nav = window.navigator;
    return !!nav && nav.appName === "Netscape" && !IsIE();
}

var Json = (function () {
    var hasOwn = Object.prototype.hasOwnProperty;

    // ------------------------------------------------------------------
    // Fallback decoder: a strict parser of the JSON grammar. It builds the
    // value itself and never hands the text to the script engine.

    function Parser(text) {
        this.text = text;
        this.at = 0;
    }

    Parser.prototype.fail = function () {
        throw new SyntaxError("JSON");
    };

    Parser.prototype.peek = function () {
        return this.text.charAt(this.at);
    };

    Parser.prototype.skipBlanks = function () {
        var c = this.peek();
        while (c === " " || c === "\t" || c === "\n" || c === "\r") {
            this.at++;
            c = this.peek();
        }
    };

    Parser.prototype.expect = function (word) {
        if (this.text.substring(this.at, this.at + word.length) !== word) {
            this.fail();
        }
        this.at += word.length;
    };

    Parser.prototype.value = function () {
        this.skipBlanks();
        var c = this.peek();
        if (c === "{") {
            return this.object();
        }
        if (c === "[") {
            return this.array();
        }
        if (c === "\"") {
            return this.string();
        }
        if (c === "t") {
            this.expect("true");
            return true;
        }
        if (c === "f") {
            this.expect("false");
            return false;
        }
        if (c === "n") {
            this.expect("null");
            return null;
        }
        return this.number();
    };

    Parser.prototype.number = function () {
        var rest = this.text.substring(this.at);
        var m = /^-?(0|[1-9][0-9]*)(\.[0-9]+)?([eE][+\-]?[0-9]+)?/.exec(rest);
        if (!m || m[0].length === 0) {
            this.fail();
        }
        this.at += m[0].length;
        return Number(m[0]);
    };

    var escapes = { "\"": "\"", "\\": "\\", "/": "/", b: "\b", f: "\f", n: "\n", r: "\r", t: "\t" };

    Parser.prototype.string = function () {
        var out = "";
        var start;
        var c;
        var hex;
        this.at++;
        start = this.at;
        for (;;) {
            if (this.at >= this.text.length) {
                this.fail();
            }
            c = this.text.charAt(this.at);
            if (c === "\"") {
                out += this.text.substring(start, this.at);
                this.at++;
                return out;
            }
            if (c < " ") {
                this.fail();
            }
            if (c === "\\") {
                out += this.text.substring(start, this.at);
                c = this.text.charAt(this.at + 1);
                if (c === "u") {
                    hex = this.text.substring(this.at + 2, this.at + 6);
                    if (!/^[0-9a-fA-F]{4}$/.test(hex)) {
                        this.fail();
                    }
                    out += String.fromCharCode(parseInt(hex, 16));
                    this.at += 6;
                } else if (hasOwn.call(escapes, c)) {
                    out += escapes[c];
                    this.at += 2;
                } else {
                    this.fail();
                }
                start = this.at;
            } else {
                this.at++;
            }
        }
    };

    Parser.prototype.array = function () {
        var out = [];
        this.at++;
        this.skipBlanks();
        if (this.peek() === "]") {
            this.at++;
            return out;
        }
        for (;;) {
            out[out.length] = this.value();
            this.skipBlanks();
            if (this.peek() === "]") {
                this.at++;
                return out;
            }
            this.expect(",");
        }
    };

    Parser.prototype.object = function () {
        var out = {};
        var key;
        var v;
        this.at++;
        this.skipBlanks();
        if (this.peek() === "}") {
            this.at++;
            return out;
        }
        for (;;) {
            this.skipBlanks();
            if (this.peek() !== "\"") {
                this.fail();
            }
            key = this.string();
            this.skipBlanks();
            this.expect(":");
            v = this.value();
            // Engines that treat this name as the prototype link would let a
            // text change what every decoded object inherits.
            if (key !== "__proto__") {
                out[key] = v;
            }
            this.skipBlanks();
            if (this.peek() === "}") {
                this.at++;
                return out;
            }
            this.expect(",");
        }
    };

    function parseFallback(text) {
        var p = new Parser(text);
        var v = p.value();
        p.skipBlanks();
        if (p.at !== text.length) {
            p.fail();
        }
        return v;
    }

    // ------------------------------------------------------------------
    // Fallback encoder, giving the same text as an ES5 engine's encoder.

    function pad(n, width) {
        var s = String(n);
        while (s.length < width) {
            s = "0" + s;
        }
        return s;
    }

    function dateText(d) {
        var t = d.getTime();
        if (t !== t) {
            return null;
        }
        return pad(d.getUTCFullYear(), 4) + "-" + pad(d.getUTCMonth() + 1, 2) + "-" + pad(d.getUTCDate(), 2) +
            "T" + pad(d.getUTCHours(), 2) + ":" + pad(d.getUTCMinutes(), 2) + ":" + pad(d.getUTCSeconds(), 2) +
            "." + pad(d.getUTCMilliseconds(), 3) + "Z";
    }

    var shortEscapes = { "\"": "\\\"", "\\": "\\\\", "\b": "\\b", "\f": "\\f", "\n": "\\n", "\r": "\\r", "\t": "\\t" };

    function quote(s) {
        return "\"" + s.replace(/["\\\u0000-\u001f\u2028\u2029]/g, function (c) {
            if (hasOwn.call(shortEscapes, c)) {
                return shortEscapes[c];
            }
            return "\\u" + pad(c.charCodeAt(0).toString(16), 4);
        }) + "\"";
    }

    // Returns the text of v, or undefined for values that JSON leaves out.
    function encodeValue(v, seen) {
        var parts;
        var i;
        var k;
        var item;
        if (v && typeof v === "object" && typeof v.toJSON === "function") {
            v = v.toJSON();
        } else if (v instanceof Date) {
            v = dateText(v);
        }
        if (v === null) {
            return "null";
        }
        switch (typeof v) {
        case "string":
            return quote(v);
        case "number":
            return isFinite(v) ? String(v) : "null";
        case "boolean":
            return v ? "true" : "false";
        case "object":
            break;
        default:
            return undefined;
        }
        if (v instanceof String) {
            return quote(String(v));
        }
        if (v instanceof Number) {
            return isFinite(v) ? String(Number(v)) : "null";
        }
        if (v instanceof Boolean) {
            return v.valueOf() ? "true" : "false";
        }
        for (i = 0; i < seen.length; i++) {
            if (seen[i] === v) {
                throw new TypeError("JSON: cyclic value");
            }
        }
        seen[seen.length] = v;
        parts = [];
        if (IsArray(v)) {
            for (i = 0; i < v.length; i++) {
                item = encodeValue(v[i], seen);
                parts[parts.length] = item === undefined ? "null" : item;
            }
            seen.length--;
            return "[" + parts.join(",") + "]";
        }
        for (k in v) {
            if (hasOwn.call(v, k)) {
                item = encodeValue(v[k], seen);
                if (item !== undefined) {
                    parts[parts.length] = quote(k) + ":" + item;
                }
            }
        }
        seen.length--;
        return "{" + parts.join(",") + "}";
    }

    function encodeFallback(v) {
        return encodeValue(v, []);
    }

    // ------------------------------------------------------------------
    // The engine's own JSON object, when it encodes dates, escapes and
    // numbers as ES5 says and reads back what it wrote.

    var SELF_TEST_TEXT = "{\"a\":[1,-2.5,\"q\\\"b\\\\\\n\",true,null],\"b\":{\"c\":{}},\"d\":\"2001-02-03T04:05:06.007Z\"}";

    function nativeJson() {
        var j;
        var probe;
        var text;
        try {
            j = window.JSON;
            if (!j || typeof j.parse !== "function" || typeof j.stringify !== "function") {
                return null;
            }
            probe = { a: [1, -2.5, "q\"b\\\n", true, null], b: { c: {} }, d: new Date(Date.UTC(2001, 1, 3, 4, 5, 6, 7)) };
            text = j.stringify(probe);
            if (text !== SELF_TEST_TEXT) {
                return null;
            }
            if (j.stringify(j.parse(text)) !== SELF_TEST_TEXT) {
                return null;
            }
            return j;
        } catch (e) {
            return null;
        }
    }

    var engine = nativeJson();

    return {
        // The value that the text describes, or undefined when the text is
        // missing or no JSON; never throws.
        DecodeObject: function (text) {
            if (text === null || text === undefined) {
                return undefined;
            }
            try {
                text = String(text);
                return engine ? engine.parse(text) : parseFallback(text);
            } catch (e) {
                return undefined;
            }
        },

        // The JSON text of the value, or undefined when it has none (a
        // function, undefined) or cannot have one (a cycle); never throws.
        EncodeObject: function (value) {
            try {
                return engine ? engine.stringify(value) : encodeFallback(value);
            } catch (e) {
                return undefined;
            }
        }
    };
})();

// The scriptable object of the library (Internet Explorer) or of the
// companion extension (Firefox), also kept in `hintora`; null when none.
function GetComp() {
    var comp = null;
    var mediator;
    var browserWindow;
    var ff;
    if (IsIE()) {
        try {
            comp = new ActiveXObject("HintoraIE.Hintora");
        } catch (e) {
            comp = null;
        }
        if (comp) {
            hintora = comp;
        }
        return comp || null;
    }
    if (IsFF()) {
        try {
            if (typeof Components === "undefined" || !Components.classes[HINTORA_FF_CONTRACT]) {
                return null;
            }
        } catch (e2) {
            return null;
        }
        try {
            mediator = Components.classes["@mozilla.org/appshell/window-mediator;1"]
                .getService(Components.interfaces.nsIWindowMediator);
            browserWindow = mediator.getMostRecentWindow("navigator:browser");
            ff = browserWindow ? browserWindow.HintoraFF : null;
            comp = ff ? ff.Comp : null;
        } catch (e3) {
            comp = null;
        }
        if (comp) {
            hintora = comp;
        } else {
            comp = null;
            alert("error");
        }
    }
    return comp;
}
