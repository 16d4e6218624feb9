// VELDLG.CustomList from JScript: ListArray takes an array of strings, and
// a JScript array is an object, not an array of strings, so it is refused.
var c = new ActiveXObject("VELDLG.CustomList");
try {
    c.ListArray = ["Front Office Laser", "Warehouse Label Printer"];
} catch (e) {
    WScript.Echo("Error " + (e.number & 0xFFFF) + ": " + e.description);
}
