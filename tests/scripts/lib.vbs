' Shared by the VBScript tests: checks that print what they got, and the
' robot that ends a dialog from outside. The build puts it in front of
' every test script.
Dim Failures, RobotPath
Failures = 0
RobotPath = WScript.Arguments(0)

Sub Check(name, got, expected)
    If VarType(got) = VarType(expected) And got = expected Then
        WScript.Echo "ok - " & name
    Else
        WScript.Echo "not ok - " & name & ": got [" & got & "] (VarType " & VarType(got) & _
            "), expected [" & expected & "] (VarType " & VarType(expected) & ")"
        Failures = Failures + 1
    End If
End Sub

' Checks the error number that the last call raised, then clears it.
Sub CheckNumber(name, number)
    Check name & ": Err.Number", Err.Number, CLng(number)
    Err.Clear
End Sub

' Checks the whole error that the last call raised, then clears it.
Sub CheckError(name, number, source, description)
    Check name & ": Err.Number", Err.Number, CLng(number)
    Check name & ": Err.Source", Err.Source, source
    Check name & ": Err.Description", Err.Description, description
    Err.Clear
End Sub

' Starts the robot with its steps; it waits for the next dialog itself.
Sub Robot(steps)
    CreateObject("WScript.Shell").Run """" & RobotPath & """ " & steps, 0, False
End Sub

Sub Done()
    If Failures > 0 Then
        WScript.Echo Failures & " check(s) failed"
        WScript.Quit 1
    End If
    WScript.Echo "all checks passed"
    WScript.Quit 0
End Sub
