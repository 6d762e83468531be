-- Logical deletion: the item stays with status 2; not recorded. An unknown
-- item is refused with RETORNO 1.
CREATE PROCEDURE SP_QBX_EXC_PEDIDO_ITEM_OLT1 (@PEDIDO_ITEM_ID INTEGER, @USUARIO_ID INTEGER)
AS
UPDATE PEDIDO_ITEM SET TAB_STATUS_ID = 2 WHERE PEDIDO_ITEM_ID = @PEDIDO_ITEM_ID;
SELECT CASE WHEN written = 1 THEN 0 ELSE 1 END AS RETORNO,
       CASE WHEN written = 1 THEN '' ELSE 'Item do pedido não encontrado.' END AS MSG_RET
  FROM (SELECT changes() AS written);
