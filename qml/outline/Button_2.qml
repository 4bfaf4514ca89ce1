// A round checkable dot of the colour filter.
import QtQuick 2.12

Rectangle {
    id: root
    property bool checked: false
    property color bgColor: "#FFFFFF"
    property color borderColor: "#382F26"
    property color checkedBorderColor: "#FFFFFF"
    property string icon: ""
    property real iconSize: width
    signal btnClicked()

    radius: width / 2
    color: icon === "" ? bgColor : "transparent"
    border.width: 2
    border.color: checked ? checkedBorderColor : borderColor

    Image {
        anchors.centerIn: parent
        visible: root.icon !== ""
        source: root.icon
        width: root.iconSize
        height: root.iconSize
        sourceSize: Qt.size(width, height)
    }
    MouseArea {
        anchors.fill: parent
        cursorShape: Qt.PointingHandCursor
        onClicked: root.btnClicked()
    }
}
