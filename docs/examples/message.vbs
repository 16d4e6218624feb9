' VELDLG.CustomMessage from VBScript: a message box with three buttons.
Set m = CreateObject("VELDLG.CustomMessage")
m.FormCaption = "Print Labels"
m.Message = "Print the labels of the selected orders now?"
m.NumButtons = 3
m.ButtonCaptions = "&Yes,&No,Cancel"
m.DefaultButton = 1 ' Enter presses Yes
m.Cancelbutton = 3  ' Escape and F2 press Cancel
m.ShowForm
WScript.Echo "Button " & m.ButtonResultValue & ": " & m.ButtonResultCaption

' Refused input is a run-time error with a number, a source and a text.
On Error Resume Next
m.ButtonCaptions = "Yes,No"
WScript.Echo "Error " & Err.Number & " (" & Err.Source & "): " & Err.Description
