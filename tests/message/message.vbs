' VELDLG.CustomMessage from VBScript, as a script client meets it.
On Error Resume Next

Set m = CreateObject("VELDLG.CustomMessage")
Check "new object: results are Empty", VarType(m.ButtonResultCaption), vbEmpty

m.ButtonCaptions = "Yes,No"
m.NumButtons = 3
CheckError "three buttons for two captions", 1, "Custom Message", "Number of captions does not equal number of buttons"
Check "the refused count is not kept", m.NumButtons, 0

m.ShowForm
CheckError "ShowForm without buttons", 2, "Custom Message", _
    "Two required properties: ""NumButtons"" And ""ButtonCaption"" not set!"

m.NumButtons = 40000
CheckNumber "a count past 16 bits overflows", 6

x = m.DefaultButton
CheckNumber "DefaultButton cannot be read", 438

m.ButtonCaptions = "Yes,No,Cancel"
m.NumButtons = 3
m.Message = "Save the changes?"
m.FormCaption = "Labels"
m.DefaultButton = 1
m.Cancelbutton = 3
Check "accepted inputs", m.NumButtons & "|" & m.ButtonCaptions & "|" & m.Message & "|" & m.FormCaption, _
    "3|Yes,No,Cancel|Save the changes?|Labels"

Robot "click:No"
m.ShowForm
CheckNumber "ShowForm with a click", 0
Check "caption of the button clicked", m.ButtonResultCaption, "No"
Check "caption is a string", VarType(m.ButtonResultCaption), vbString
Check "number of the button clicked", m.ButtonResultValue, 2
Check "number is an Integer", VarType(m.ButtonResultValue), vbInteger

Robot "key:ESCAPE"
m.ShowForm
Check "Escape presses the cancel button", m.ButtonResultCaption & " " & m.ButtonResultValue, "Cancel 3"

Robot "key:ENTER"
m.ShowForm
Check "Enter presses the default button", m.ButtonResultValue, 1

Robot "close"
m.ShowForm
Check "the close box keeps the last press", m.ButtonResultValue, 1

m.ButtonResultCaption = Null
Check "a result put keeps any subtype", VarType(m.ButtonResultCaption), vbNull

Done
