' The VELDLG dialogs, shown one after another through a real script.
' Arguments: the robot and a folder for pictures when there is no one at the
' screen (the robot saves each dialog as a PNG and ends it with a click), or
' nothing when a person answers the dialogs.
Dim robotPath, shots
If WScript.Arguments.Count >= 2 Then
    robotPath = WScript.Arguments(0)
    shots = WScript.Arguments(1)
End If

' Lets the robot picture the next dialog and end it, when there is a robot.
Sub Answer(name, steps)
    If robotPath <> "" Then
        CreateObject("WScript.Shell").Run """" & robotPath & """ shot:" & shots & "\" & name & ".png " & steps, 0, False
    End If
End Sub

Set m = CreateObject("VELDLG.CustomMessage")
m.NumButtons = 3
m.ButtonCaptions = "&Yes,&No,Cancel"
m.Message = "Print the labels of the selected orders now?"
m.FormCaption = "Print Labels"
m.DefaultButton = 1
m.Cancelbutton = 3
Answer "custom-message", "click:Yes"
m.ShowForm
WScript.Echo "CustomMessage: button " & m.ButtonResultValue & " (" & m.ButtonResultCaption & ")"

Set r = CreateObject("VELDLG.DateRange")
r.BeginDate = DateSerial(Year(Date), Month(Date), 1)
r.EndDate = Date
Answer "date-range", "key:ENTER"
r.ShowForm
If r.Succeed Then WScript.Echo "DateRange: " & r.BeginDate & " to " & r.EndDate Else WScript.Echo "DateRange: cancelled"
