<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US">
<context>
    <name>ConversionPipeline</name>
    <message numerus="yes">
        <source>%n bytes</source>
        <translation>
            <numerusform>%n byte</numerusform>
            <numerusform>%n bytes</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>FFmpeg GIF creation failed: it made %1 of %n frames</source>
        <translation>
            <numerusform>FFmpeg GIF creation failed: it made %1 of %n frame</numerusform>
            <numerusform>FFmpeg GIF creation failed: it made %1 of %n frames</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>FrameSequence</name>
    <message numerus="yes">
        <source>Using %1 of %n frames (every %2)…</source>
        <translation>
            <numerusform>Using %1 of %n frame (every %2)…</numerusform>
            <numerusform>Using %1 of %n frames (every %2)…</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>Using %n selected frames…</source>
        <translation>
            <numerusform>Using %n selected frame…</numerusform>
            <numerusform>Using %n selected frames…</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>Found %n frames…</source>
        <translation>
            <numerusform>Found %n frame…</numerusform>
            <numerusform>Found %n frames…</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>SettingsTexts</name>
    <message numerus="yes">
        <source>GIF plays %n times then stops.</source>
        <translation>
            <numerusform>GIF plays %n time then stops.</numerusform>
            <numerusform>GIF plays %n times then stops.</numerusform>
        </translation>
    </message>
</context>
</TS>
