<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_CN">
<context>
    <name>Fixture</name>
    <message>
        <source>shared</source>
        <translation>app</translation>
    </message>
    <message>
        <source>app-and-framework</source>
        <translation>app</translation>
    </message>
    <message>
        <source>app-only</source>
        <translation>app</translation>
    </message>
</context>
</TS>
