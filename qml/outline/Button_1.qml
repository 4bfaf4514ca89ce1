// A text button of the panel's bar.
import QtQuick 2.12

Rectangle {
    id: root
    property alias text: label.text
    property color bgColor: "transparent"
    property color hoverColor: bgColor
    property color textColor: "#FFFFFF"
    property color textHoverColor: "#FFFFFF"
    property color textDisabledColor: "#FFFFFF"
    property int fontPixelSize: 15
    signal btnClicked()

    radius: width / 2
    color: mouse.containsMouse && enabled ? hoverColor : bgColor
    border.width: 0

    Text {
        id: label
        anchors.centerIn: parent
        font.family: "微软雅黑"
        font.pixelSize: root.fontPixelSize
        color: !root.enabled ? root.textDisabledColor
                             : mouse.containsMouse ? root.textHoverColor : root.textColor
    }
    MouseArea {
        id: mouse
        anchors.fill: parent
        hoverEnabled: true
        cursorShape: Qt.PointingHandCursor
        onClicked: root.btnClicked()
    }
}
