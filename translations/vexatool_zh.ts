<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_CN" sourcelanguage="en_US">
<context>
    <name>BaseDialog</name>
    <message>
        <location filename="../src/aptui/BaseDialog.ui" line="+14"/>
        <source>BaseDialog</source>
        <translation>对话框</translation>
    </message>
    <message>
        <location line="+57"/>
        <source>null content</source>
        <translation>无内容</translation>
    </message>
    <message>
        <location line="+70"/>
        <source>Confirm</source>
        <translation>确定</translation>
    </message>
    <message>
        <location line="+13"/>
        <source>Cancel</source>
        <translation>取消</translation>
    </message>
</context>
<context>
    <name>TipDialog</name>
    <message>
        <location filename="../src/aptui/TipDialog.ui" line="+30"/>
        <source>sure</source>
        <translation>确定吗？</translation>
    </message>
</context>
<context>
    <name>VEXAToolMainPage</name>
    <message>
        <location filename="../src/app/VEXAToolMainPage.ui" line="+14"/>
        <source>VEXAToolMainPage</source>
        <translation>VEXA 工具</translation>
    </message>
</context>
<context>
    <name>VexaTool::VEXAToolMainPage</name>
    <message>
        <location filename="../src/app/VEXAToolMainPage.cpp" line="+14"/>
        <source>VEXA Tool</source>
        <translation>VEXA 工具</translation>
    </message>
</context>
<context>
    <name>WarningDialog</name>
    <message>
        <location filename="../src/aptui/WarningDialog.ui" line="+32"/>
        <source>Form</source>
        <translation>窗体</translation>
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
        <translation>VEXA 已在运行。</translation>
    </message>
    <message>
        <location line="+13"/>
        <source>Display resolution less than 1024*768,are you sure to start the program?</source>
        <translation>显示器分辨率低于 1024×768，确定要启动程序吗？</translation>
    </message>
</context>
<context>
    <name>aptui::HintBox</name>
    <message>
        <location filename="../src/aptui/HintBox.cpp" line="+8"/>
        <source>Hint</source>
        <translation>提示</translation>
    </message>
</context>
</TS>
