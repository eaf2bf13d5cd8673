<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US" sourcelanguage="en_US">
<context>
    <name>BaseDialog</name>
    <message>
        <location filename="../src/aptui/BaseDialog.ui" line="+14"/>
        <source>BaseDialog</source>
        <translation>BaseDialog</translation>
    </message>
    <message>
        <location line="+57"/>
        <source>null content</source>
        <translation>null content</translation>
    </message>
    <message>
        <location line="+70"/>
        <source>Confirm</source>
        <translation>Confirm</translation>
    </message>
    <message>
        <location line="+13"/>
        <source>Cancel</source>
        <translation>Cancel</translation>
    </message>
</context>
<context>
    <name>TipDialog</name>
    <message>
        <location filename="../src/aptui/TipDialog.ui" line="+30"/>
        <source>sure</source>
        <translation>sure</translation>
    </message>
</context>
<context>
    <name>VEXAToolMainPage</name>
    <message>
        <location filename="../src/app/VEXAToolMainPage.ui" line="+14"/>
        <source>VEXAToolMainPage</source>
        <translation>VEXAToolMainPage</translation>
    </message>
</context>
<context>
    <name>VexaTool::VEXAToolMainPage</name>
    <message>
        <location filename="../src/app/VEXAToolMainPage.cpp" line="+14"/>
        <source>VEXA Tool</source>
        <translation>VEXA Tool</translation>
    </message>
</context>
<context>
    <name>WarningDialog</name>
    <message>
        <location filename="../src/aptui/WarningDialog.ui" line="+32"/>
        <source>Form</source>
        <translation>Form</translation>
    </message>
</context>
<context>
    <name>apt::ToolsApplication</name>
    <message>
        <location filename="../src/app/main.cpp" line="+15"/>
        <source>VEXATool</source>
        <translation>VEXATool</translation>
    </message>
    <message>
        <location filename="../src/app/ToolsApplication.cpp" line="+74"/>
        <source>VEXA is already running.</source>
        <translation>VEXA is already running.</translation>
    </message>
    <message>
        <location line="+13"/>
        <source>Display resolution less than 1024*768,are you sure to start the program?</source>
        <translation>The display resolution is less than 1024×768. Are you sure you want to start the program?</translation>
    </message>
</context>
<context>
    <name>aptui::HintBox</name>
    <message>
        <location filename="../src/aptui/HintBox.cpp" line="+8"/>
        <source>Hint</source>
        <translation>Hint</translation>
    </message>
</context>
</TS>
