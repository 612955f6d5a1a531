namespace zorbel { void uiPlaceholder() {} }
