' The VELDLG dialogs, shown one after another through a real script.
Set m = CreateObject("VELDLG.CustomMessage")
m.NumButtons = 3
m.ButtonCaptions = "&Yes,&No,Cancel"
m.Message = "Print the labels of the selected orders now?"
m.FormCaption = "Print Labels"
m.DefaultButton = 1
m.Cancelbutton = 3
m.ShowForm
WScript.Echo "CustomMessage: button " & m.ButtonResultValue & " (" & m.ButtonResultCaption & ")"

Set s = CreateObject("VELDLG.LabelStartPosition")
s.NumRows = 10
s.NumColumns = 3
s.FormCaption = "Start printing at which label?"
s.ShowForm
WScript.Echo "LabelStartPosition: column " & s.StartColumn & ", row " & s.StartRow

' A script cannot build the array of strings that the list picker takes, so
' the manual's C++ example hands it over and shows the dialog; its answer
' comes back through a file (Wine's script host reads no pipes).
top = Left(WScript.ScriptFullName, InStrRev(WScript.ScriptFullName, "\scripts\"))
Set fso = CreateObject("Scripting.FileSystemObject")
answerPath = fso.BuildPath(fso.GetSpecialFolder(2), fso.GetTempName)
CreateObject("WScript.Shell").Run "cmd /c """"" & top & "build\x86_64\docs\examples\example_list.exe"" > """ & _
    answerPath & """""", 0, True
Set answerFile = fso.OpenTextFile(answerPath)
If answerFile.AtEndOfStream Then
    WScript.Echo "CustomList: the compiled client failed"
Else
    WScript.Echo "CustomList: " & answerFile.ReadLine
End If
answerFile.Close
fso.DeleteFile answerPath

Set r = CreateObject("VELDLG.DateRange")
r.BeginDate = DateSerial(Year(Date), Month(Date), 1)
r.EndDate = Date
r.ShowForm
If r.Succeed Then WScript.Echo "DateRange: " & r.BeginDate & " to " & r.EndDate Else WScript.Echo "DateRange: cancelled"
