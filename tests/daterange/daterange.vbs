' VELDLG.DateRange from VBScript, as a script client meets it. The user's
' stored dates are put back at the end.
On Error Resume Next
Const Section = "HKCU\Software\VB and VBA Program Settings\Vormelt\QMTDATES\"
Set shell = CreateObject("WScript.Shell")
savedBegin = shell.RegRead(Section & "BeginDate")
hadBegin = Err.Number = 0
Err.Clear
savedEnd = shell.RegRead(Section & "EndDate")
hadEnd = Err.Number = 0
Err.Clear

Set d = CreateObject("VELDLG.DateRange")
Check "new object: BeginDate", d.BeginDate, CDate(0)
Check "new object: EndDate", d.EndDate, CDate(0)
Check "new object: Succeed", d.Succeed, False

d.BeginDate = DateSerial(2024, 7, 4)
d.EndDate = DateSerial(2024, 7, 31) + TimeSerial(18, 0, 0)
Check "a put keeps the time of day", d.EndDate, DateSerial(2024, 7, 31) + TimeSerial(18, 0, 0)
d.BeginDate = "next week"
CheckNumber "a text that is no date", 13
Check "the refused put changed nothing", d.BeginDate, DateSerial(2024, 7, 4)
d.Succeed = True
CheckNumber "Succeed cannot be put", 438

Robot "key:ESCAPE"
d.ShowForm
CheckNumber "ShowForm with Escape", 0
Check "Escape: Succeed", d.Succeed, False
Check "Escape keeps the presets", d.EndDate, DateSerial(2024, 7, 31) + TimeSerial(18, 0, 0)

Robot "type:08152024 key:TAB type:8/1/2024 key:ENTER"
d.ShowForm
CheckNumber "ShowForm with typed dates", 0
Check "confirmed: Succeed", d.Succeed, True
Check "the begin date is a Date", VarType(d.BeginDate), vbDate
Check "the begin date as typed", d.BeginDate, DateSerial(2024, 8, 15)
Check "the end date as typed, before the begin", d.EndDate, DateSerial(2024, 8, 1)
Check "the begin date kept for next time", shell.RegRead(Section & "BeginDate"), "08/15/2024"
Check "the end date kept for next time", shell.RegRead(Section & "EndDate"), "08/01/2024"

Robot "type:0231 key:ENTER msgbox key:ENTER form key:ESCAPE"
d.ShowForm
Check "no such day, then Cancel: Succeed", d.Succeed, False
Check "the dates confirmed before stay", d.BeginDate, DateSerial(2024, 8, 15)

If hadBegin Then shell.RegWrite Section & "BeginDate", savedBegin, "REG_SZ" Else shell.RegDelete Section & "BeginDate"
If hadEnd Then shell.RegWrite Section & "EndDate", savedEnd, "REG_SZ" Else shell.RegDelete Section & "EndDate"
Err.Clear
Done
