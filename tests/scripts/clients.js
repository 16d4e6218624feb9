// The classes from JScript: errors arrive as exceptions whose number is the
// whole HRESULT, with the error number in its low word.
var failures = 0;

function check(name, got, expected) {
    if (got === expected) return;
    WScript.Echo("not ok - " + name + ": got [" + got + "] expected [" + expected + "]");
    failures++;
}

function error(f) {
    try { f(); } catch (e) { return (e.number >>> 0).toString(16) + "|" + e.description; }
    return "no error";
}

var m = new ActiveXObject("VELDLG.CustomMessage");
check("ShowForm without inputs", error(function () { m.ShowForm(); }),
      "800a0002|Two required properties: \"NumButtons\" And \"ButtonCaption\" not set!");
m.NumButtons = 2;
check("a trailing comma", error(function () { m.ButtonCaptions = "Yes,No,"; }),
      "800a0001|Number of captions does not equal number of buttons");
check("a put-only property read", error(function () { var x = m.Cancelbutton; }).split("|")[0], "80020003");
check("NumButtons is a number", m.NumButtons, 2);

var c = new ActiveXObject("VELDLG.CustomList");
check("a JScript array is an object", error(function () { c.ListArray = ["Red", "Green"]; }), "800a000d|Type mismatch");
check("ListItem is a string", typeof c.ListItem, "string");

var d = new ActiveXObject("VELDLG.DateRange");
check("Succeed is a boolean", d.Succeed, false);
check("a date converts to a JScript date", new Date(d.BeginDate).getFullYear(), 1899);

WScript.Echo(failures ? failures + " check(s) failed" : "all checks passed");
WScript.Quit(failures ? 1 : 0);
