-- Deletes an item logically: its status becomes 2 and no other column
-- changes; nothing is recorded. The answer is RETORNO 0, also for an item that
-- is already deleted or an id that no item has. The user id is not used.
CREATE PROCEDURE SP_QBX_EXC_PEDIDO_ITEM_OLT1 (@PEDIDO_ITEM_ID INTEGER, @USUARIO_ID INTEGER)
AS
UPDATE PEDIDO_ITEM SET TAB_STATUS_ID = 2 WHERE PEDIDO_ITEM_ID = @PEDIDO_ITEM_ID;
SELECT 0 AS RETORNO, '' AS MSG_RET;
