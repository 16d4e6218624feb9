// VELDLG.CustomMessage from JScript: a message box with three buttons.
var m = new ActiveXObject("VELDLG.CustomMessage");
m.FormCaption = "Print Labels";
m.Message = "Print the labels of the selected orders now?";
m.NumButtons = 3;
m.ButtonCaptions = "&Yes,&No,Cancel";
m.DefaultButton = 1; // Enter presses Yes
m.Cancelbutton = 3;  // Escape and F2 press Cancel
m.ShowForm();
WScript.Echo("Button " + m.ButtonResultValue + ": " + m.ButtonResultCaption);

// Refused input throws: e.number is the whole HRESULT, its low word the
// error number.
try {
    m.ButtonCaptions = "Yes,No";
} catch (e) {
    WScript.Echo("Error " + (e.number & 0xFFFF) + ": " + e.description);
}
