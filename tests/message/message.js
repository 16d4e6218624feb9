// VELDLG.CustomMessage from JScript: errors arrive as exceptions whose
// number carries the error number in its low word.
var robotPath = WScript.Arguments(0);
var failures = 0;

function check(name, got, expected) {
    if (got === expected) {
        WScript.Echo("ok - " + name);
    } else {
        WScript.Echo("not ok - " + name + ": got [" + got + "] expected [" + expected + "]");
        failures++;
    }
}

function error(f) {
    try { f(); } catch (e) { return (e.number & 0xFFFF) + "|" + e.description; }
    return "no error";
}

var m = new ActiveXObject("VELDLG.CustomMessage");
check("ShowForm without inputs", error(function () { m.ShowForm(); }),
      "2|Two required properties: \"NumButtons\" And \"ButtonCaption\" not set!");
m.NumButtons = 2;
check("a trailing comma makes a third caption", error(function () { m.ButtonCaptions = "Yes,No,"; }),
      "1|Number of captions does not equal number of buttons");
// JScript hands over the platform's DISP_E_MEMBERNOTFOUND as it stands.
check("Cancelbutton cannot be read", (function () {
    try { var x = m.Cancelbutton; } catch (e) { return (e.number >>> 0).toString(16); }
    return "no error";
})(), "80020003");

m.ButtonCaptions = "Yes,No";
m.Cancelbutton = 2;
new ActiveXObject("WScript.Shell").Run("\"" + robotPath + "\" key:F2", 0, false);
m.ShowForm();
check("F2 presses the cancel button", m.ButtonResultCaption, "No");
check("the caption is a string", typeof m.ButtonResultCaption, "string");
check("the number is a number", m.ButtonResultValue, 2);

WScript.Echo(failures ? failures + " check(s) failed" : "all checks passed");
WScript.Quit(failures ? 1 : 0);
