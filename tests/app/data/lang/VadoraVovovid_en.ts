<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US">
<context>
    <name>Fixture</name>
    <message>
        <source>shared</source>
        <translation>toolkit-en</translation>
    </message>
</context>
</TS>
