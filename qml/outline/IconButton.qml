// An image button the size of its icon; the icon follows hover, press and
// the checked state.
import QtQuick 2.12

Image {
    id: root
    property string defaultIcon: ""
    property string hoverIcon: ""
    property string pressIcon: ""
    property string checkedIcon: ""
    property string checkedHoverIcon: ""
    property string checkedPressIcon: ""
    property bool checkable: false
    property bool checked: false
    property string tip: ""
    signal btnClicked()

    readonly property bool hovered: mouse.containsMouse
    readonly property bool pressed: mouse.pressed

    function pick(base, hover, press) {
        if (mouse.pressed && press !== "")
            return press;
        if (mouse.containsMouse && hover !== "")
            return hover;
        return base;
    }

    source: checked && checkedIcon !== "" ? pick(checkedIcon, checkedHoverIcon, checkedPressIcon)
                                          : pick(defaultIcon, hoverIcon, pressIcon)
    sourceSize: Qt.size(width, height)
    fillMode: Image.PreserveAspectFit

    MouseArea {
        id: mouse
        anchors.fill: parent
        hoverEnabled: true
        cursorShape: Qt.PointingHandCursor
        onReleased: {
            if (!containsMouse)
                return;
            if (root.checkable)
                root.checked = !root.checked;
            root.btnClicked();
        }
    }
}
